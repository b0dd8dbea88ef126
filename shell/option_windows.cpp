#include "shell/option_windows.hpp"

#include <array>
#include <string_view>

#include "access/dialog.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"
#include "planning/settings.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

constexpr int kHelpButton = 11;

// A window of three options that stores the checked one in a setting.
struct ChoiceWindow {
  std::string_view title;
  std::string_view notice;
  std::array<std::string_view, 3> captions;
  std::string_view help_page;
  int fallback;
};

int checked_option() {
  for (int option = 1; option <= 3; ++option) {
    if (ControlState(option) != 0) return option;
  }
  return 0;
}

// True when the user chose OK; `setting` then holds the checked option.
bool choose(const ChoiceWindow& window, int& setting) {
  SetNoticeText(window.notice);
  OpenDialog("d", 0, 0, 10, 60, window.title);
  const std::array<ControlSpec, 4> controls = {{
      {ControlKind::option, 1, window.captions[0], 1, 2, 56, 2, kGroupStart},
      {ControlKind::option, 2, window.captions[1], 3, 2, 56},
      {ControlKind::option, 3, window.captions[2], 5, 2, 56},
      {ControlKind::button, kHelpButton, "aide-f1", 8, 2, 10},
  }};
  AddControls(controls);
  AddCancelButton(0, 0);
  const int checked = option_to_check(setting, window.fallback);
  SetControlState(checked, 1);
  FocusControl(checked);
  Speak(window.title, 0);
  for (;;) {
    const Input input = NextInput(-1);
    if (input.event == "btn" + std::to_string(kHelpButton) || input.key == "f1") {
      shell_service().show_help(window.help_page);
    } else if (input.event == "btnok") {
      if (const int option = checked_option(); option != 0) setting = option;
      return true;
    } else if (input.event == "btncancel" || input.event == "winclose" || input.key == "escape") {
      return false;
    }
  }
}

void choose_and_save(const ChoiceWindow& window, AgendaRun& run, int& setting, int today) {
  int chosen = setting;
  if (!choose(window, chosen)) return;
  setting = chosen;
  if (savesettings(run.program_folder, run.settings, today)) run.settings.last_active_day = today;
}

}  // namespace

int option_to_check(int setting, int fallback) {
  return setting >= 1 && setting <= 3 ? setting : fallback;
}

void DesktopIconOption(AgendaRun& run, int today) {
  const ChoiceWindow window{
      "option de l'icône du bureau",
      "Choisissez l'option de démarage de l'icône du bureau lorsque l'agenda est activé en "
      "arrière-plan.",
      {"afficher le calendrier", "afficher l'agenda en temps réel", "afficher le menu d'accès"},
      "icône.htm",
      2};
  choose_and_save(window, run, run.settings.desktop_icon_option, today);
}

void AlarmOutputOption(AgendaRun& run, int today) {
  const ChoiceWindow window{
      "sortie des alarmes p.c.",
      "Comme la tendance veut qu'il n'y ai plus d'haut-parleur interne dans les ordinateurs pc, "
      "cette option permet de dériver le signal des pulsations vers une sortie audio.",
      {"pulsations dans le haut-parleur PC", "pulsations dans la sortie audio par défaut",
       "pulsations dans le haut-parleur PC et la sortie audio par défaut"},
      "sortie.htm",
      1};
  choose_and_save(window, run, run.settings.pc_pulse_output, today);
}

}  // namespace tavelo
