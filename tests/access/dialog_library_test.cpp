// The program's side of the dialog library, through the real loading path: libparlon.so is
// copied into a temporary program folder and loaded from there.
#include "access/dialog_library.hpp"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <sstream>

#include "access/dialog.hpp"
#include "access/menus.hpp"
#include "access/note_pad.hpp"
#include "access/scripted_session.hpp"
#include "planning/fault.hpp"
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
