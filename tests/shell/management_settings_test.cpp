#include "shell/management_settings.hpp"

#include <gtest/gtest.h>

#include "planning/planning_names.hpp"
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

TEST(ManagementSettings, TheListsAndTheTimesTheyStore) {
  const std::vector<std::string> times = day_times();
  ASSERT_EQ(times.size(), 1440u);
  EXPECT_EQ(times[0], "00:00");
  EXPECT_EQ(times[570], "09:30");
  EXPECT_EQ(times[1439], "23:59");
  EXPECT_EQ(forewarning_time_items().size(), 1441u);
  EXPECT_EQ(forewarning_time_items()[0], "aucun");

  Settings s;
  s.management_hour = 3;
  s.management_minute = 15;
  s.forewarning_hour = 7;
  s.forewarning_minute = 45;
  s.forewarning_mode = 2;
  s.update_check = 3;
  ManagementForm form = management_form(s, true);
  EXPECT_EQ(form.management_time, 195);
  EXPECT_EQ(form.forewarning_time, 1 + 465);
  EXPECT_EQ(form.forewarning_mode, 1);
  EXPECT_EQ(form.update_check, 2);

  form.management_time = 570;
  form.forewarning_time = 0;  // "aucun"
  store_management_form(form, s);
  EXPECT_EQ(s.management_hour, 9);
  EXPECT_EQ(s.management_minute, 30);
  EXPECT_EQ(s.forewarning_hour, 255);
  EXPECT_EQ(s.forewarning_minute, 45) << "only the hour says there is none";
  EXPECT_EQ(management_form(s, true).forewarning_time, 0);
  EXPECT_EQ(s.update_check, 3);
  EXPECT_EQ(s.forewarning_mode, 2);
}

TEST(ManagementSettings, WithoutAWritableFolderTheAutomaticDownloadIsNotOffered) {
  EXPECT_EQ(update_check_items(true).size(), 3u);
  ASSERT_EQ(update_check_items(false).size(), 2u);
  EXPECT_EQ(update_check_items(false)[1], "m'avertir avant de télécharger");
  Settings s;
  s.update_check = 3;
  ManagementForm form = management_form(s, false);
  EXPECT_EQ(form.update_check, 1);
  store_management_form(form, s);
  EXPECT_EQ(s.update_check, 2);
}

TEST(ManagementSettings, TypedNumbersAreKeptWithinTheirFields) {
  Settings s;
  ManagementForm form = management_form(s, true);
  form.restart_delay = "300";
  form.screen_reader_wait = "-5";
  form.absence_days = "40000";
  store_management_form(form, s);
  EXPECT_EQ(s.restart_delay, 255);
  EXPECT_EQ(s.screen_reader_wait, 0);
  EXPECT_EQ(s.inactivity_days, 32000);

  form.restart_delay = "abc";
  form.screen_reader_wait = " 12 secondes";
  form.absence_days = "99999999999999999999999";
  store_management_form(form, s);
  EXPECT_EQ(s.restart_delay, 0);
  EXPECT_EQ(s.screen_reader_wait, 12);
  EXPECT_EQ(s.inactivity_days, 32000);
}

TEST(ManagementSettings, OkMovesTheJournalStoresAndSaves) {
  TempFolder program;
  fs::create_directories(program.path() / "journal");
  write_bytes(program.path() / "journal" / "travail.txt", "x\r\n");
  Settings s = default_settings(45000, false);
  s.journal_folder = "journal";
  ManagementForm form = management_form(s, true);
  form.restart_delay = "300";
  form.forewarning_time = 0;
  s.journal_folder = (program.path() / "nouveau").string();  // chosen with "parcourir"
  ScriptedPrompts yes({true});
  confirm_management_settings(form, "journal", program.path(), s, 45000, yes);
  EXPECT_EQ(yes.questions.size(), 1u);
  EXPECT_EQ(read_bytes(program.path() / "nouveau" / "travail.txt"), "x\r\n");
  Settings saved = default_settings(45000, false);
  loadsettings(program.path(), saved);
  EXPECT_EQ(saved.journal_folder, (program.path() / "nouveau").string());
  EXPECT_EQ(saved.restart_delay, 255);
  EXPECT_EQ(saved.forewarning_hour, 255);

  // A folder where agenda.bin cannot be written is told; the settings stay in memory.
  ScriptedPrompts told;
  confirm_management_settings(form, s.journal_folder, program.path() / "absent", s, 45000, told);
  EXPECT_EQ(told.notices,
            std::vector<std::string>{"impossible d'écrire le fichier " +
                                     (program.path() / "absent" / "agenda.bin").string()});
}

TEST(ManagementSettings, AChosenFolderLosesItsFinalSeparator) {
  EXPECT_EQ(journal_folder_setting("/home/a/journal/"), "/home/a/journal");
  EXPECT_EQ(journal_folder_setting("d:\\journal\\"), "d:\\journal");
  EXPECT_EQ(journal_folder_setting("/"), "/");
}

struct JournalMove : ::testing::Test {
  TempFolder program;
  fs::path old_folder = program.path() / "journal";
  fs::path new_folder = program.path() / "ailleurs";
  void SetUp() override {
    fs::create_directories(old_folder);
    fs::create_directories(new_folder);
    write_bytes(old_folder / "bilan principal.txt", "ancien\r\n");
    write_bytes(old_folder / "travail.txt", "travail\r\n");
    write_bytes(new_folder / "bilan principal.txt", "nouveau\r\n");
  }
};

TEST_F(JournalMove, YesMovesEveryFileAndRemovesTheOldFolder) {
  ScriptedPrompts yes({true});
  EXPECT_TRUE(offer_journal_move(program.path(), "journal", new_folder.string(), yes));
  ASSERT_EQ(yes.questions.size(), 1u);
  EXPECT_EQ(yes.questions[0],
            "Souhaitez-vous déplacer le contenu de votre ancien dossier journal soit:\rjournal"
            "\rvers:\r" +
                new_folder.string() + "\rpour en suite supprimer l'ancien dossier?");
  EXPECT_EQ(read_bytes(new_folder / "bilan principal.txt"), "nouveau\r\nancien\r\n");
  EXPECT_EQ(read_bytes(new_folder / "travail.txt"), "travail\r\n");
  EXPECT_FALSE(fs::exists(old_folder));
}

TEST_F(JournalMove, NoLeavesBothFoldersAsTheyWere) {
  ScriptedPrompts no({false});
  EXPECT_TRUE(offer_journal_move(program.path(), "journal", new_folder.string(), no));
  EXPECT_EQ(read_bytes(old_folder / "travail.txt"), "travail\r\n");
  EXPECT_FALSE(file_exists(new_folder / "travail.txt"));
}

TEST_F(JournalMove, NothingIsAskedWithoutFilesOrForTheSameFolder) {
  ScriptedPrompts none;
  EXPECT_TRUE(offer_journal_move(program.path(), "journal", old_folder.string(), none));
  // No folder was set: the program folder's own files never move.
  EXPECT_TRUE(offer_journal_move(old_folder, "", new_folder.string(), none));
  EXPECT_EQ(read_bytes(old_folder / "travail.txt"), "travail\r\n");
  fs::remove(old_folder / "bilan principal.txt");
  fs::remove(old_folder / "travail.txt");
  EXPECT_TRUE(offer_journal_move(program.path(), "journal", new_folder.string(), none));
  EXPECT_TRUE(none.questions.empty());
  EXPECT_TRUE(fs::exists(old_folder)) << "an empty folder nobody asked about stays";
}

TEST_F(JournalMove, TheNewFolderInsideTheOldOneIsNeverRemoved) {
  const fs::path inner = old_folder / "2026";
  ScriptedPrompts yes({true});
  EXPECT_TRUE(offer_journal_move(program.path(), "journal", inner.string(), yes));
  EXPECT_EQ(read_bytes(inner / "travail.txt"), "travail\r\n");
  EXPECT_TRUE(fs::is_directory(inner));
}

TEST_F(JournalMove, AFileThatCannotMoveStaysWithTheOldFolderAndIsTold) {
  fs::create_directories(new_folder / "travail.txt");
  ScriptedPrompts yes({true});
  EXPECT_FALSE(offer_journal_move(program.path(), "journal", new_folder.string(), yes));
  EXPECT_EQ(yes.notices,
            std::vector<std::string>{"Attention...\rCertains fichiers n'ont pas pu être "
                                     "déplacés, ils sont restés dans:\rjournal"});
  EXPECT_EQ(read_bytes(old_folder / "travail.txt"), "travail\r\n");
  EXPECT_EQ(read_bytes(new_folder / "bilan principal.txt"), "nouveau\r\nancien\r\n");
}

}  // namespace
}  // namespace tavelo
