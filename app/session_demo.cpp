// A small dialog run on the scripted session until the program's start-up takes the session
// over: TAVELO_UI=script:FILE tavelo-session-demo; with TAVELO_UI=gtk it opens a real window
// and speaks through speech-dispatcher.
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "access/dialog.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"
#include "access/window_prompts.hpp"
#include "app/scripted_session.hpp"
#include "platform/linux/gtk_window_system.hpp"
#include "platform/linux/speechd_speech.hpp"
#include "platform/linux/system_clock.hpp"
#include "platform/program_folder.hpp"
#include "platform/services.hpp"

namespace {

using namespace tavelo;

constexpr int kSubject = 2;
constexpr int kReminder = 3;

constexpr ControlSpec kSubjectControls[] = {
    {ControlKind::label, 1, "sujet", 1, 1},
    {ControlKind::text_field, kSubject, "", 1, 8, 30},
    {ControlKind::check_box, kReminder, "&rappel", 3, 1, 12},
};

int subject_dialog() {
  LoadSpeechLibraries();
  OpenDialog("", 0, 0, 8, 40, "essai de saisie");
  AddControls(kSubjectControls);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  FocusControl(kSubject);
  Speak("essai de saisie", 300);
  for (;;) {
    const Input input = NextInput(-1);
    if (input.event == "btnok") {
      const std::string reminder = ControlState(kReminder) != 0 ? ", avec rappel" : "";
      WindowPrompts().notice("Sujet enregistré\r" + ControlText(kSubject) + reminder);
      return 0;
    }
    if (input.event == "btncancel" || input.event == "winclose" || input.key == "escape") return 1;
  }
}

int on_real_windows() {
  GtkWindowSystem windows;
  SpeechdSpeech speech;
  SystemClock clock;
  const InterfaceServices services(windows, speech, clock);
  return subject_dialog();
}

}  // namespace

int main() {
  const char* ui = std::getenv("TAVELO_UI");
  if (ui != nullptr && std::string_view(ui) == "gtk") {
    try {
      return on_real_windows();
    } catch (const std::exception& error) {
      std::cerr << "tavelo-session-demo : " << error.what() << "\n";
      return 2;
    }
  }
  if (const std::optional<int> code =
          run_session_from_environment(running_program_folder(), subject_dialog))
    return *code;
  std::cerr << "tavelo-session-demo ne fonctionne qu'en session scriptée "
               "(TAVELO_UI=script:FICHIER) ou en fenêtres réelles (TAVELO_UI=gtk)\n";
  return 2;
}
