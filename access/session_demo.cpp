// A small dialog run on the scripted session until the program's start-up takes the session
// over: TAVELO_UI=script:FILE tavelo-session-demo
#include <iostream>

#include "access/dialog.hpp"
#include "access/key_names.hpp"
#include "access/scripted_session.hpp"
#include "access/speech.hpp"
#include "access/window_prompts.hpp"

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

}  // namespace

int main() {
  if (const std::optional<int> code = run_session_from_environment(subject_dialog)) return *code;
  std::cerr << "tavelo-session-demo ne fonctionne qu'en session scriptée : "
               "TAVELO_UI=script:FICHIER\n";
  return 2;
}
