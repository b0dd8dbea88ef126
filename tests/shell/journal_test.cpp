#include "shell/journal.hpp"

#include <gtest/gtest.h>

#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::read_bytes;
using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::write_bytes;

const LocalTime kNow{2026, 3, 6, 14, 5, 30, 0};

TEST(Journal, HeaderAndSections) {
  EXPECT_EQ(journal_header(kNow), "6 Mars 2026, à 14:05.");
  EXPECT_EQ(journal_header({2025, 8, 15, 9, 0, 0, 0}), "15 Août 2025, à 09:00.");
  EXPECT_EQ(journal_section(" "), "bilan principal");
  EXPECT_EQ(journal_section(""), "bilan principal");
  EXPECT_EQ(journal_section("travail"), "travail");
  EXPECT_EQ(journal_section("../x\\y"), ".._x_y");
  EXPECT_EQ(journal_section_file("/j", " "), fs::path("/j/bilan principal.txt"));
}

TEST(Journal, TheFirstEntryHasNoSeparatorAndTheNextHasIt) {
  TempFolder folder;
  const fs::path journal = folder.path() / "journal";
  ASSERT_TRUE(write_journal_entry(journal, "travail", kNow, {"  sujet: réunion"}));
  const std::string first = "6 Mars 2026, \xE0 14:05.\r\n  sujet: r\xE9union\r\n";
  EXPECT_EQ(read_bytes(journal / "travail.txt"), first);
  {
    JournalEntry entry = OpenJournalEntry(journal, "travail");
    ASSERT_TRUE(entry.is_open());
    entry.line(journal_header(kNow));
    entry.line("  sujet: bilan");
    entry.line("");
    entry.line("  note:");
    entry.lines("ligne 1\r\nligne 2");
    EXPECT_TRUE(entry.close());
  }
  EXPECT_EQ(read_bytes(journal / "travail.txt"),
            first + std::string(49, '-') +
                "\r\n6 Mars 2026, \xE0 14:05.\r\n  sujet: bilan\r\n\r\n  note:\r\nligne 1\r\n"
                "ligne 2\r\n");
  // A blank category goes to the main section, a new file again without separator.
  ASSERT_TRUE(write_journal_entry(journal, " ", kNow, {"  démarage de l'agenda."}));
  EXPECT_EQ(read_bytes(journal / "bilan principal.txt"),
            "6 Mars 2026, \xE0 14:05.\r\n  d\xE9marage de l'agenda.\r\n");
}

TEST(Journal, ReadyOnlyWithTheFlagAndAFolder) {
  Settings settings;
  ScriptedPrompts none;
  int flag = 0;
  EXPECT_FALSE(JournalReady(flag, settings, none, {}));
  flag = 1;
  settings.journal_folder = "/j";
  EXPECT_TRUE(JournalReady(flag, settings, none, {}));
  EXPECT_TRUE(none.questions.empty());

  // No folder: asked until the management settings set one.
  settings.journal_folder.clear();
  int opened = 0;
  ScriptedPrompts yes_twice({true, true});
  EXPECT_TRUE(JournalReady(flag, settings, yes_twice, [&] {
    if (++opened == 2) settings.journal_folder = "/choisi";
  }));
  EXPECT_EQ(opened, 2);
  ASSERT_EQ(yes_twice.questions.size(), 2u);
  EXPECT_EQ(yes_twice.questions[0],
            "tavelo\rLa plannification suivante doit être journalisée dans un dossier,\rlequel "
            "n'ayant pas été spécifié dans la gestion des plannifications du menu "
            "option.\rVoulez-vous accéder aux options de gestion?");
  EXPECT_EQ(flag, 1);

  // A no clears the journal flag.
  settings.journal_folder.clear();
  ScriptedPrompts no({false});
  EXPECT_FALSE(JournalReady(flag, settings, no, [] {}));
  EXPECT_EQ(flag, 0);

  // Without the management settings, a yes cannot set a folder: it is taken as a no, once.
  flag = 1;
  ScriptedPrompts yes({true, true});
  EXPECT_FALSE(JournalReady(flag, settings, yes, {}));
  EXPECT_EQ(yes.questions.size(), 1u);
  EXPECT_EQ(flag, 0);
}

class JournalFolder : public ::testing::Test {
 protected:
  JournalFolder() : settings_(default_settings(kToday, false)) {}
  Settings saved() {
    Settings s = default_settings(kToday, false);
    loadsettings(folder_.path(), s);
    return s;
  }
  static constexpr int kToday = 45000;
  TempFolder folder_;
  Settings settings_;
  ScriptedPrompts prompts_;
};

TEST_F(JournalFolder, AnEmptySettingBecomesTheDefaultFolder) {
  EXPECT_EQ(CheckJournalFolder(folder_.path(), settings_, prompts_, kToday),
            JournalFolderCheck::kDefaultSet);
  const fs::path journal = folder_.path() / "journal";
  EXPECT_EQ(settings_.journal_folder, journal.string());
  EXPECT_TRUE(fs::is_directory(journal));
  EXPECT_EQ(saved().journal_folder, journal.string());
  EXPECT_TRUE(prompts_.notices.empty());
  // The next start keeps it.
  EXPECT_EQ(CheckJournalFolder(folder_.path(), settings_, prompts_, kToday),
            JournalFolderCheck::kKept);
}

TEST_F(JournalFolder, AnOldJournalTxtMovesIntoTheMainSection) {
  write_bytes(folder_.path() / "journal.txt", "ancien\r\n");
  settings_.journal_folder = "journal.txt";
  EXPECT_EQ(CheckJournalFolder(folder_.path(), settings_, prompts_, kToday),
            JournalFolderCheck::kOldJournalMoved);
  EXPECT_FALSE(file_exists(folder_.path() / "journal.txt"));
  EXPECT_EQ(read_bytes(folder_.path() / "journal" / "bilan principal.txt"), "ancien\r\n");
  EXPECT_EQ(saved().journal_folder, (folder_.path() / "journal").string());
  EXPECT_TRUE(prompts_.notices.empty());
}

TEST_F(JournalFolder, AMovedJournalKeepsTheEntriesAlreadyInTheMainSection) {
  fs::create_directories(folder_.path() / "journal");
  write_bytes(folder_.path() / "journal" / "bilan principal.txt", "nouveau\r\n");
  write_bytes(folder_.path() / "journal.txt", "ancien\r\n");
  settings_.journal_folder = "journal.txt";
  EXPECT_EQ(CheckJournalFolder(folder_.path(), settings_, prompts_, kToday),
            JournalFolderCheck::kOldJournalMoved);
  EXPECT_EQ(read_bytes(folder_.path() / "journal" / "bilan principal.txt"),
            "nouveau\r\nancien\r\n");
  EXPECT_FALSE(file_exists(folder_.path() / "journal.txt"));
}

TEST_F(JournalFolder, AJournalFileElsewhereIsMovedWithANotice) {
  const fs::path file = folder_.path() / "mes notes.log";
  write_bytes(file, "vieux\r\n");
  settings_.journal_folder = file.string();
  EXPECT_EQ(CheckJournalFolder(folder_.path(), settings_, prompts_, kToday),
            JournalFolderCheck::kFileMoved);
  ASSERT_EQ(prompts_.notices.size(), 1u);
  EXPECT_EQ(prompts_.notices[0],
            "Note de mise à jour...\rPuisque l'agenda gère maintenant les fichiers journaux\ren "
            "tenant compte des catégories des planifications, le fichier:\r" +
                file.string() +
                "\rsera déplacé dans le dossier journal par défaut de l'agenda\rsous le nom, "
                "bilan principal.txt.\rPour modifier son emplacement, allez dans le menu option, "
                "à partir\rdu calendrier, puis allez dans la gestion des planifications.");
  EXPECT_EQ(read_bytes(folder_.path() / "journal" / "bilan principal.txt"), "vieux\r\n");
  EXPECT_EQ(saved().journal_folder, (folder_.path() / "journal").string());
}

TEST_F(JournalFolder, AFolderThatCannotBeMadeFallsBackToTheDefault) {
  write_bytes(folder_.path() / "fichier", "x");
  settings_.journal_folder = (folder_.path() / "fichier" / "sous-dossier").string();
  EXPECT_EQ(CheckJournalFolder(folder_.path(), settings_, prompts_, kToday),
            JournalFolderCheck::kFolderReplaced);
  ASSERT_EQ(prompts_.notices.size(), 1u);
  EXPECT_EQ(prompts_.notices[0],
            "Note de mise à jour...\rPuisque l'agenda gère maintenant les fichiers "
            "journaux\ren tenant compte des catégories des planifications, la "
            "prochaine\rcréation de votre fichier journal principal se fera\rdans le dossier "
            "journal par défaut de l'agenda sous le nom,,\rbilan principal.txt.\rPour modifier "
            "son emplacement, allez dans le menu option, à partir\rdu calendrier, puis allez "
            "dans la gestion des planifications.");
  EXPECT_TRUE(fs::is_directory(folder_.path() / "journal"));
  EXPECT_EQ(saved().journal_folder, (folder_.path() / "journal").string());

  // A folder that does not exist yet but can be made is made and kept, unsaved.
  settings_.journal_folder = (folder_.path() / "ailleurs" / "journal").string();
  ScriptedPrompts quiet;
  EXPECT_EQ(CheckJournalFolder(folder_.path(), settings_, quiet, kToday),
            JournalFolderCheck::kKept);
  EXPECT_TRUE(fs::is_directory(folder_.path() / "ailleurs" / "journal"));
  EXPECT_TRUE(quiet.notices.empty());
  EXPECT_EQ(saved().journal_folder, (folder_.path() / "journal").string());
}

}  // namespace
}  // namespace tavelo
