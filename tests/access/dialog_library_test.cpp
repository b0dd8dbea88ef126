// The program's side of the dialog library, through the real loading path: libparlon.so is
// copied into a temporary program folder and loaded from there.
#include "access/dialog_library.hpp"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "access/dialog.hpp"
#include "access/key_names.hpp"
#include "access/menus.hpp"
#include "access/note_pad_window.hpp"
#include "access/speech.hpp"
#include "platform/fault.hpp"
#include "platform/sim/transcript.hpp"
#include "tests/support/script_runner.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {
namespace {

constexpr std::string_view kPadQuestion =
    "sortie du pad|Voulez-vous conserver vos moddifications?|0|&oui|&non|&annuler";

// A script runner with the dialog library loaded from its program folder.
struct LoadedLibrary : ScriptRunner {
  LoadedLibrary() : loaded(load_dialog_library(TAVELO_PARLON_LIBRARY)) {}
  bool loaded;
};

TEST(DialogLibrary, MissingLibraryEndsTheProgramWhenADialogNeedsIt) {
  const TempFolder empty;
  EXPECT_FALSE(LoadDialogLibrary(empty.path()));
  try {
    AskUser(kPadQuestion);
    ADD_FAILURE() << "no fault";
  } catch (const Fault& fault) {
    EXPECT_EQ(fault.title, "erreur advparlon");
    EXPECT_EQ(fault.text, "libparlon.so manquant dans le dossier:\r" + empty.path().string());
  }
  try {
    FindReplace(false, 1);
    ADD_FAILURE() << "no fault";
  } catch (const Fault& fault) {
    EXPECT_EQ(fault.title, "erreur findrequester");
  }
}

TEST(DialogLibrary, LoadedFromTheProgramFolderExportsOnlyItsTwoFunctions) {
  LoadedLibrary library;
  ASSERT_TRUE(library.loaded);
  void* handle = dlopen((library.folder() / kDialogLibraryFile).c_str(), RTLD_NOW);
  ASSERT_NE(handle, nullptr);
  // Its dialog layer keeps an interface context of its own.
  EXPECT_EQ(dlsym(handle, "_ZN6tavelo17interface_contextEv"), nullptr);
  EXPECT_EQ(dlsym(handle, "_ZN6tavelo12dialog_stateEv"), nullptr);
  EXPECT_EQ(dlsym(handle, "_ZN6tavelo10run_parlonESt17basic_string_viewIcSt11char_traitsIcEES3_iS3_iS3_"),
            nullptr);
  dlclose(handle);
}

TEST(AskUser, AnswersThroughTheLibrary) {
  LoadedLibrary library;
  std::vector<int> answers;
  std::string checked;
  const ScriptRun run = library.run(
      "wait 1s\nkey escape\nwait 1s\nkey alt+o\nwait 1s\nkey space\nwait 1s\nclick 1\nwait 10s\n",
      [&] {
        answers.push_back(AskUser(kPadQuestion));
        answers.push_back(AskUser(kPadQuestion));
        answers.push_back(AskUser("t|m|0|&oui|&rappel/chk=on|copie/chk|&non|3"));
        checked = AskUserCheckBoxes();
        answers.push_back(AskUser("|m|5"));  // no buttons: "notice...", the countdown closes it
        return 0;
      });
  EXPECT_EQ(answers, std::vector<int>({3, 1, 1, 0})) << run.text();
  // Space checked the default, box 3; box 2 started checked.
  EXPECT_EQ(checked, "2 3");
  EXPECT_TRUE(run.has("ask " + in_quotes(kPadQuestion) + " -> 3"));
  EXPECT_TRUE(run.has("ask " + in_quotes(kPadQuestion) + " -> 1"));
  EXPECT_TRUE(run.has("window \"notice...\""));
  EXPECT_TRUE(run.has("ask \"|m|5\" -> 0"));
}

TEST(AskUser, MalformedChainsEndTheProgram) {
  LoadedLibrary library;
  const auto fault_of = [&](std::string_view chain_text, std::string_view sound = {}) {
    const auto lines = library.run("", [&] { return AskUser(chain_text, sound); }).lines;
    return lines.size() >= 2 ? lines[lines.size() - 2] + " / " + lines.back() : std::string();
  };
  EXPECT_EQ(fault_of("titre|texte"),
            "notice \"erreur advparlon\" \"Nombre de séparration insuffisante...\\rtitre|texte\" / "
            "exit 3");
  EXPECT_EQ(fault_of("t|m|x|ok|non"),
            "notice \"erreur advparlon\" \"la troisième séparration doit être un nombre\\rt|m|x|ok|"
            "non\" / exit 3");
  EXPECT_EQ(fault_of("t|m|0|a|b|c|4"),
            "notice \"erreur advparlon\" \"Le boutton par défaut excède le nombre de boutton "
            "défini...\\rt|m|0|a|b|c|4\" / exit 3");
  EXPECT_EQ(fault_of("t|m|0|a|b", "absent.wav"),
            "notice \"erreur advparlon...\" \"Le fichier son spécifié est introuvable...\\r"
            "absent.wav\" / exit 3");
}

}  // namespace
}  // namespace tavelo::testing

namespace tavelo::testing {
namespace {

// The find box filled by the script; the pad text searched from `start`.
constexpr std::string_view kFindBackwards = "wait 1s\ntype bc\ncheck 5\nclick ok\n";

TEST(FindReplace, BackwardSearchAndItsPositions) {
  LoadedLibrary library;
  std::vector<int> found;
  std::string text;
  const ScriptRun run = library.run(
      std::string(kFindBackwards) + std::string(kFindBackwards) + "wait 1s\nclick cancel\n", [&] {
        pad_state().text = "abcabc";
        FindReplace(true, 6);
        found.push_back(find_state().found);
        FindReplace(true, 4);
        found.push_back(find_state().found);
        FindNext(3);  // backwards from 3: "bc" ends at 3
        found.push_back(find_state().found);
        FindReplace(false, 1);  // cancelled: nothing changes, nothing found
        found.push_back(find_state().found);
        text = pad_state().text;
        return 0;
      });
  EXPECT_EQ(found, std::vector<int>({5, 2, 2, 0})) << run.text();
  EXPECT_EQ(text, "abcabc");
  EXPECT_TRUE(run.has("window \"recherche\""));
}

TEST(FindReplace, ReplaceAllOnBothEndsThenFindNextDoesNothing) {
  LoadedLibrary library;
  std::vector<std::string> texts;
  const std::string replace_all = "wait 1s\ntype a\nfocus 4\ntype b\ncheck 6\n";
  const ScriptRun run = library.run(
      replace_all + "click ok\n" + replace_all + "check 5\nclick ok\n" +
          "wait 1s\ntype zz\nclick ok\nwait 1s\nfocus 4\ntype Y\nclick ok\n",
      [&] {
        pad_state().text = "aca";
        FindReplace(false, 1);
        texts.push_back(pad_state().text + " " + std::to_string(find_state().found));
        pad_state().text = "aca";
        FindReplace(false, 3);  // backwards from the end
        texts.push_back(pad_state().text + " " + std::to_string(find_state().found));
        FindNext(1);  // after a replace-all: nothing, not even a message
        texts.push_back(pad_state().text + " " + std::to_string(find_state().found));
        FindReplace(false, 1);  // "zz" is not there
        pad_state().text = "xaxa";
        FindReplace(false, 1);  // an empty search text finds nothing; then one replacement
        return 0;
      });
  EXPECT_EQ(texts, std::vector<std::string>({"bcb 3", "bcb 1", "bcb 1"})) << run.text();
  EXPECT_EQ(std::count_if(run.lines.begin(), run.lines.end(),
                          [](const std::string& l) { return l.starts_with("notice"); }),
            2);
  EXPECT_TRUE(run.has("notice \"Notice...\" \"recherche infructueuse...\""));
}

TEST(FindReplace, OneReplacementAndFindNextWithoutASearch) {
  LoadedLibrary library;
  std::string text;
  int found = -1;
  const ScriptRun run = library.run("wait 1s\ntype a\nfocus 4\ntype é\nclick ok\n", [&] {
    FindNext(1);
    pad_state().text = "xaxa";
    FindReplace(false, 3);
    text = pad_state().text;
    found = find_state().found;
    return 0;
  });
  EXPECT_TRUE(run.has("notice \"Notice...\" \"occurence introuvable...\""));
  EXPECT_EQ(text, "xaxé");
  EXPECT_EQ(found, 4);
}

// A window with an edit menu at 50 and the pad in editor 10, with `text`; the pad as it was left
// goes to `left`.
int pad_window(int mode, std::string_view text, PadState& left) {
  OpenDialog("", 1, 1, 20, 60, "planification");
  AddEditMenu(50, 1);
  pad_state().text = text;
  const std::string ended = EditInPad(10, "note", "Note:", mode, false, 3, 1, 50, 10);
  left = pad_state();
  return ended.empty() ? 0 : (ended == "c" ? 9 : 7);
}

TEST(EditInPad, ExitQuestionFindAndMenu) {
  LoadedLibrary library;
  PadState left;
  int found = 0;
  const ScriptRun run = library.run(
      "wait 1s\nmenu 57\nwait 1s\n"
      "key control+end\ntype , le monde\nkey escape\nwait 1s\nkey escape\nwait 1s\n"
      "key control+f\nwait 1s\ntype on\ncheck 5\nclick ok\nwait 1s\n"
      "key control+end\ntype  !\nclose\nwait 1s\nkey alt+o\n",
      [&] {
        const int code = pad_window(0, "bonjour", left);
        found = find_state().found;
        return code;
      });
  const std::string q = "ask " + in_quotes(kPadQuestion);
  // "annuler" keeps the pad open with the text as typed.
  EXPECT_EQ(run.count(q + " -> 3"), 1) << run.text();
  EXPECT_TRUE(run.has(q + " -> 1")) << run.text();
  EXPECT_TRUE(run.has("notice \"Notice...\" \"occurence introuvable...\""));
  EXPECT_TRUE(run.has("selected 10 \"on\""));
  // The search takes the typed text into the pad; the question keeps what came after it.
  EXPECT_EQ(found, 14);
  EXPECT_EQ(left.text, "bonjour, le monde!");
  EXPECT_TRUE(left.modified);
  EXPECT_FALSE(left.open);
}

TEST(EditInPad, LeavingAnUnchangedPadAsksNothing) {
  LoadedLibrary library;
  PadState left;
  const ScriptRun run =
      library.run("wait 1s\nkey escape\n", [&] { return pad_window(0, "bonjour", left); });
  EXPECT_EQ(run.lines.back(), "exit 0") << run.text();
  EXPECT_FALSE(std::any_of(run.lines.begin(), run.lines.end(),
                           [](const std::string& l) { return l.starts_with("ask"); }));
  EXPECT_FALSE(left.open);
}

TEST(EditInPad, AnExistingEditorTakesTheTextAndItsLabelIsSpokenOnce) {
  LoadedLibrary library;
  std::vector<std::string> shown;
  const ScriptRun run = library.run("wait 1s\nkey c\nwait 1s\nkey c\n", [&] {
    LoadSpeechLibraries();
    OpenDialog("", 1, 1, 20, 60, "planification");
    AddEditor(10, "ancien", 3, 1, 50, 10);
    for (const char* text : {"premier", "second"}) {
      pad_state().text = text;
      EditInPad(10, "note", "Note:", 2, true, 3, 1, 50, 10);
      shown.push_back(ControlText(10) + " " + ControlText(11));
    }
    return 0;
  });
  EXPECT_EQ(shown, std::vector<std::string>({"premier Note:", "second Note:"})) << run.text();
  EXPECT_EQ(run.count("speak \"Note:\""), 1);
}

TEST(EditInPad, ModeTwoEndsAtTheFirstKeyThatIsNotNavigation) {
  LoadedLibrary library;
  PadState left;
  const ScriptRun run = library.run("wait 1s\nkey down\nkey f5\ntype b\nkey c\n",
                                    [&] { return pad_window(2, "a", left); });
  EXPECT_EQ(run.code, 9) << run.text();  // ended by the key "c", which the editor took first
  EXPECT_EQ(left.text, "abc");
  EXPECT_TRUE(left.modified);
}

// A window with an edit menu at 50 opens another without one: there the pad's edit items are
// 1 to 8, as the user's menu 7 (find/replace) shows.
TEST(EditInPad, TheEditMenuOfThePreviousWindowIsForgotten) {
  LoadedLibrary library;
  const ScriptRun run =
      library.run("wait 1s\nmenu 7\nwait 1s\nclick cancel\nwait 1s\nkey escape\n", [] {
        OpenDialog("", 1, 1, 20, 60, "planification");
        AddEditMenu(50, 0);
        OpenDialog("", 1, 1, 20, 60, "message");
        EditInPad(10, "note", "Note:", 0, false, 3, 1, 50, 10);
        return 0;
      });
  EXPECT_TRUE(run.has("window \"recherche et remplacement\"")) << run.text();
  EXPECT_EQ(run.lines.back(), "exit 0");
}

// What one session leaves (a saved dialog, the pad and its search, the ticked boxes of the last
// question, a held key's repeat) is not in the next one.
TEST(Interface, EverySessionStartsFresh) {
  LoadedLibrary library;
  const auto hold_down = [] {
    SimulateKey(vk::down, 1);
    return ReadKeyName(false, true);
  };
  library.run("wait 1s\ntype a\nclick ok\nwait 1s\nclick 1\n", [&] {
    OpenDialog("", 1, 1, 20, 60, "planification");
    SaveDialog(3);
    pad_state().text = "abc";
    FindReplace(true, 1);
    AskUser("t|m|0|&oui|&rappel/chk=on|&non");
    hold_down();
    return 0;
  });
  std::string pad_text = "?";
  std::string checked = "?";
  std::string key;
  const ScriptRun run = library.run("wait 1s\n", [&] {
    OpenDialog("", 1, 1, 10, 30, "autre");
    RestoreDialog(3);
    pad_text = pad_state().text;
    FindNext(1);
    checked = AskUserCheckBoxes();
    key = hold_down();
    return 0;
  });
  EXPECT_FALSE(run.has("window \"planification\"")) << run.text();
  EXPECT_EQ(pad_text, "");
  EXPECT_TRUE(run.has("notice \"Notice...\" \"occurence introuvable...\""));
  EXPECT_EQ(checked, "");
  EXPECT_EQ(key, "down");
}

}  // namespace
}  // namespace tavelo::testing
