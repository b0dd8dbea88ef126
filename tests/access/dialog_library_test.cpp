// The program's side of the dialog library, through the real loading path: libparlon.so is
// copied into a temporary program folder and loaded from there.
#include "access/dialog_library.hpp"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <sstream>

#include "access/dialog.hpp"
#include "access/menus.hpp"
#include "access/note_pad.hpp"
#include "access/speech.hpp"
#include "app/scripted_session.hpp"
#include "platform/fault.hpp"
#include "platform/sim/transcript.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {
namespace {

constexpr std::string_view kPadQuestion =
    "sortie du pad|Voulez-vous conserver vos moddifications?|0|&oui|&non|&annuler";

struct LoadedLibrary {
  LoadedLibrary() {
    std::filesystem::copy_file(TAVELO_PARLON_LIBRARY, folder.path() / kDialogLibraryFile);
    loaded = LoadDialogLibrary(folder.path());
  }
  // Runs `program` in a scripted session; returns the transcript without time stamps.
  std::vector<std::string> session(std::string_view script, const std::function<int()>& program) {
    const auto file = folder.path() / "session.txt";
    write_bytes(file, script);
    std::ostringstream out;
    run_scripted_session(file.string(), &out, program);
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(13));
    return lines;
  }
  TempFolder folder;
  bool loaded = false;
};

bool has(const std::vector<std::string>& lines, std::string_view line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

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
  void* handle = dlopen((library.folder.path() / kDialogLibraryFile).c_str(), RTLD_NOW);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(dlsym(handle, "_ZN6tavelo12dialog_stateEv"), nullptr);
  EXPECT_EQ(dlsym(handle, "_ZN6tavelo10run_parlonESt17basic_string_viewIcSt11char_traitsIcEES3_iS3_iS3_"),
            nullptr);
  dlclose(handle);
}

TEST(AskUser, AnswersThroughTheLibrary) {
  LoadedLibrary library;
  std::vector<int> answers;
  std::string checked;
  const auto lines = library.session(
      "wait 1s\nkey escape\nwait 1s\nkey alt+o\nwait 1s\nkey space\nwait 1s\nclick 1\nwait 10s\n", [&] {
        answers.push_back(AskUser(kPadQuestion));
        answers.push_back(AskUser(kPadQuestion));
        answers.push_back(AskUser("t|m|0|&oui|&rappel/chk=on|copie/chk|&non|3"));
        checked = AskUserCheckBoxes();
        answers.push_back(AskUser("|m|5"));  // no buttons: "notice...", the countdown closes it
        return 0;
      });
  EXPECT_EQ(answers, std::vector<int>({3, 1, 1, 0})) << joined(lines);
  // Space checked the default, box 3; box 2 started checked.
  EXPECT_EQ(checked, "2 3");
  EXPECT_TRUE(has(lines, "ask " + in_quotes(kPadQuestion) + " -> 3"));
  EXPECT_TRUE(has(lines, "ask " + in_quotes(kPadQuestion) + " -> 1"));
  EXPECT_TRUE(has(lines, "window \"notice...\""));
  EXPECT_TRUE(has(lines, "ask \"|m|5\" -> 0"));
}

TEST(AskUser, MalformedChainsEndTheProgram) {
  LoadedLibrary library;
  const auto fault_of = [&](std::string_view chain_text, std::string_view sound = {}) {
    const auto lines = library.session("", [&] { return AskUser(chain_text, sound); });
    return lines.size() >= 2 ? lines[lines.size() - 2] + " / " + lines.back() : joined(lines);
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
  const auto lines = library.session(
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
        return 0;
      });
  EXPECT_EQ(found, std::vector<int>({5, 2, 2, 0})) << joined(lines);
  EXPECT_EQ(pad_state().text, "abcabc");
  EXPECT_TRUE(has(lines, "window \"recherche\""));
}

TEST(FindReplace, ReplaceAllOnBothEndsThenFindNextDoesNothing) {
  LoadedLibrary library;
  std::vector<std::string> texts;
  const std::string replace_all = "wait 1s\ntype a\nfocus 4\ntype b\ncheck 6\n";
  const auto lines = library.session(
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
  EXPECT_EQ(texts, std::vector<std::string>({"bcb 3", "bcb 1", "bcb 1"})) << joined(lines);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.starts_with("notice"); }),
            2);
  EXPECT_TRUE(has(lines, "notice \"Notice...\" \"recherche infructueuse...\""));
}

TEST(FindReplace, OneReplacementAndFindNextWithoutASearch) {
  LoadedLibrary library;
  find_state() = FindState();
  const auto lines = library.session(
      "wait 1s\ntype a\nfocus 4\ntype é\nclick ok\n", [&] {
        FindNext(1);
        pad_state().text = "xaxa";
        FindReplace(false, 3);
        return 0;
      });
  EXPECT_TRUE(has(lines, "notice \"Notice...\" \"occurence introuvable...\""));
  EXPECT_EQ(pad_state().text, "xaxé");
  EXPECT_EQ(find_state().found, 4);
}

// A window with an edit menu at 50 and the pad in editor 10.
int pad_window(int mode) {
  OpenDialog("", 1, 1, 20, 60, "planification");
  AddEditMenu(50, 1);
  const std::string ended = EditInPad(10, "note", "Note:", mode, false, 3, 1, 50, 10);
  return ended.empty() ? 0 : (ended == "c" ? 9 : 7);
}

TEST(EditInPad, ExitQuestionFindAndMenu) {
  LoadedLibrary library;
  pad_state() = PadState();
  find_state() = FindState();
  pad_state().text = "bonjour";
  const auto lines = library.session(
      "wait 1s\nmenu 57\nwait 1s\n"
      "type , le monde\nkey escape\nwait 1s\nkey escape\nwait 1s\n"
      "key control+f\nwait 1s\ntype on\ncheck 5\nclick ok\nwait 1s\n"
      "type  !\nclose\nwait 1s\nkey alt+o\n",
      [] { return pad_window(0); });
  const std::string q = "ask " + in_quotes(kPadQuestion);
  // "annuler" keeps the pad open with the text as typed.
  EXPECT_EQ(std::count(lines.begin(), lines.end(), q + " -> 3"), 1) << joined(lines);
  EXPECT_TRUE(has(lines, q + " -> 1")) << joined(lines);
  EXPECT_TRUE(has(lines, "notice \"Notice...\" \"occurence introuvable...\""));
  EXPECT_TRUE(has(lines, "selected 10 \"on\""));
  // The search takes the typed text into the pad; the question keeps what came after it.
  EXPECT_EQ(find_state().found, 14);
  EXPECT_EQ(pad_state().text, "bonjour, le monde!");
  EXPECT_TRUE(pad_state().modified);
  EXPECT_FALSE(pad_state().open);
}

TEST(EditInPad, LeavingAnUnchangedPadAsksNothing) {
  LoadedLibrary library;
  pad_state() = PadState();
  pad_state().text = "bonjour";
  const auto lines = library.session("wait 1s\nkey escape\n", [] { return pad_window(0); });
  EXPECT_EQ(lines.back(), "exit 0") << joined(lines);
  EXPECT_FALSE(std::any_of(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.starts_with("ask"); }));
  EXPECT_FALSE(pad_state().open);
}

TEST(EditInPad, AnExistingEditorTakesTheTextAndItsLabelIsSpokenOnce) {
  LoadedLibrary library;
  pad_state() = PadState();
  std::vector<std::string> shown;
  const auto lines = library.session("wait 1s\nkey c\nwait 1s\nkey c\n", [&] {
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
  EXPECT_EQ(shown, std::vector<std::string>({"premier Note:", "second Note:"})) << joined(lines);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "speak \"Note:\""), 1);
}

TEST(EditInPad, ModeTwoEndsAtTheFirstKeyThatIsNotNavigation) {
  LoadedLibrary library;
  pad_state() = PadState();
  pad_state().text = "a";
  int code = -1;
  library.session("wait 1s\nkey down\nkey f5\ntype b\nkey c\n", [&] {
    code = pad_window(2);
    return 0;
  });
  EXPECT_EQ(code, 9);  // ended by the key "c"
  EXPECT_EQ(pad_state().text, "ab");
  EXPECT_TRUE(pad_state().modified);
}

}  // namespace
}  // namespace tavelo::testing
