// A small dialog run on the scripted session until the program's start-up takes the session
// over: TAVELO_UI=script:FILE tavelo-session-demo; with TAVELO_UI=gtk it opens a real window
// and speaks through speech-dispatcher.
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "access/dialog.hpp"
#include "access/key_names.hpp"
#include "access/speech.hpp"
#include "access/window_prompts.hpp"
#include "app/scripted_session.hpp"
#include "platform/linux/gtk_window_system.hpp"
#include "platform/linux/speechd_speech.hpp"
#include "platform/linux/system_clock.hpp"
#include "platform/services.hpp"

namespace {

using namespace tavelo;

int subject_dialog() {
  LoadSpeechLibraries();
  WindowPrompts prompts;
  OpenDialog("", 0, 0, 8, 40, "essai de saisie");
  AddLabel(1, "sujet", 1, 1);
  AddTextField(2, "", 1, 8, 30);
  AddCheckBox(3, "&rappel", 3, 1, 12);
  AddMnemonics(3);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  FocusControl(2);
  Speak("essai de saisie", 300);
  for (;;) {
    const std::string event = WaitDialogEvent(-1);
    const std::string key = dialog_state().window_active ? ReadKeyName(false, false, event) : "";
    if (event == "btnok") {
      const std::string reminder = ControlState(3) != 0 ? ", avec rappel" : "";
      prompts.notice("Sujet enregistré\r" + ControlText(2) + reminder);
      return 0;
    }
    if (event == "btncancel" || event == "winclose" || key == "escape") return 1;
  }
}

int on_real_windows() {
  GtkWindowSystem windows;
  SpeechdSpeech speech;
  SystemClock clock;
  install_interface_services(windows, speech, clock);
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
  if (const std::optional<int> code = run_session_from_environment(subject_dialog)) return *code;
  std::cerr << "tavelo-session-demo ne fonctionne qu'en session scriptée "
               "(TAVELO_UI=script:FICHIER) ou en fenêtres réelles (TAVELO_UI=gtk)\n";
  return 2;
}
