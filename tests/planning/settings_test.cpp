#include "planning/settings.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/files.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::read_bytes;
using testing::TempFolder;
using testing::write_bytes;

Settings sample_settings() {
  Settings s = default_settings(45000, true);
  s.management_hour = 6;
  s.management_minute = 30;
  s.journal_folder = "C:\\Journal été";
  s.background_mode = 1;
  s.default_alarm = {3, "cloche.wav", 440, 80, 90, 7, 2, 3};
  s.night_mode = {22, 30, 6, 45};
  s.default_spoken = {1, "2_80_-3_4", "Bonjour, ", 2, 10};
  s.default_mail = {"smtp", "u", "p", 587, "a@b", "r@b", "objet", 1, 1};
  s.sharing_table = {SharingRow{{"paul", "\\\\srv\\partage", "3", "4", "5", "6", "7", "8", "9"}},
                     SharingRow{{"marie", "ftp", "c", "d", "e", "f", "g", "h", "i"}}};
  s.own_identifier = "moi";
  s.import_allowed = 1;
  s.export_allowed = 1;
  s.mail_approved = 1;
  s.inactivity_days = 12;
  s.chimes_active = 1;
  s.chime_profile = "Westminster";
  return s;
}

TEST(Settings, EveryFieldSurvivesARoundTrip) {
  const Settings s = sample_settings();
  const std::string record = write_settings(s, 45123);
  Settings back = default_settings(1, false);
  EXPECT_EQ(read_settings(record, back), kReadOk);
  EXPECT_EQ(back.last_active_day, 45123);  // written as the day of the save
  EXPECT_EQ(write_settings(back, 45123), record);
  EXPECT_EQ(back.sharing_table[1].columns[8], "i");
  EXPECT_EQ(back.chime_profile, "Westminster");

  // Settings never read from a file have no voice yet; their record keeps its layout all the same.
  Settings fresh = default_settings(45000, false);
  fresh.chime_profile = "Big Ben";
  Settings fresh_back = default_settings(1, false);
  EXPECT_EQ(read_settings(write_settings(fresh, 45000), fresh_back), kReadOk);
  EXPECT_EQ(fresh_back.chime_profile, "Big Ben");
}

TEST(Settings, TheMixedAlarmCountsAreStoredOnlyForKindThree) {
  Settings s = sample_settings();
  const std::size_t with_counts = write_settings(s, 1).size();
  s.default_alarm.kind = 2;
  EXPECT_EQ(write_settings(s, 1).size(), with_counts - 4);
}

TEST(Settings, ZeroValuesTakeTheirWorkingDefaults) {
  Settings s = default_settings(45000, false);
  apply_zero_value_defaults(s);
  EXPECT_EQ(s.default_alarm.kind, 1);
  EXPECT_EQ(s.default_alarm.frequency, 1760);
  EXPECT_EQ(s.default_alarm.length, 50);
  EXPECT_EQ(s.default_alarm.pause, 50);
  EXPECT_EQ(s.default_alarm.repetitions, 120);
  EXPECT_EQ(s.desktop_icon_option, 2);
  EXPECT_EQ(s.update_check, 2);
  EXPECT_EQ(s.pc_pulse_output, 1);
  EXPECT_EQ(s.default_spoken.voice, "0_100_0_0");
  EXPECT_EQ(s.default_spoken.text, "notification de Tavelo, ");
  EXPECT_EQ(s.default_mail.port, 25);
  EXPECT_EQ(s.default_mail.subject, "notification de Tavelo");
  EXPECT_EQ(s.screen_reader_wait, 0);
  EXPECT_EQ(default_settings(1, true).screen_reader_wait, 30);

  Settings kept = sample_settings();
  apply_zero_value_defaults(kept);
  EXPECT_EQ(kept.default_spoken.text, "Bonjour, ");
  EXPECT_EQ(kept.default_mail.port, 587);
}

TEST(Settings, AnOlderFileEndingAfterTheSharingColumnsKeepsTheLaterDefaults) {
  Settings s = sample_settings();
  const std::string full = write_settings(s, 45000);
  // Fields 52..57: u8, 2 rows x 2 one-letter texts, 2 rows x 1 one-letter text, i16, u8, text.
  const std::size_t tail = 1 + 8 + 4 + 2 + 1 + s.chime_profile.size() + 1;
  Settings back = default_settings(45000, false);
  EXPECT_EQ(read_settings(full.substr(0, full.size() - tail), back), kReadOk);
  EXPECT_EQ(back.own_identifier, "moi");
  EXPECT_EQ(back.sharing_table[0].columns[5], "6");
  EXPECT_EQ(back.mail_approved, 0);
  EXPECT_EQ(back.sharing_table[0].columns[6], "");
  EXPECT_EQ(back.inactivity_days, 30);
  EXPECT_EQ(back.chimes_active, 0);
  EXPECT_EQ(back.chime_profile, "");
}

TEST(Settings, WithoutAnOwnIdentifierNothingIsImportedOrExported) {
  Settings s = sample_settings();
  s.own_identifier = "   ";
  Settings back = default_settings(45000, false);
  read_settings(write_settings(s, 45000), back);
  EXPECT_EQ(back.import_allowed, 0);
  EXPECT_EQ(back.export_allowed, 0);
}

constexpr std::size_t kLongestField = 16;  // "C:\\Journal été" and its 0 byte

TEST(Settings, ARecordCutAnywhereNeverLosesTheFieldsBeforeTheCut) {
  const Settings s = sample_settings();
  const std::string full = write_settings(s, 45000);
  const Settings defaults = default_settings(44000, false);
  const std::size_t rows_at = full.find(std::string("\x02\x00paul", 6));
  for (std::size_t cut = 0; cut < full.size(); ++cut) {
    Settings back = defaults;
    read_settings(full.substr(0, cut), back);
    // Written again, the settings read from the cut record match the full one at least up to
    // the field the cut fell in: nothing whole before the cut was lost.
    std::string again = write_settings(back, 45000);
    // The row count is written from the rows read, so a cut inside the rows changes it.
    if (again.size() > rows_at + 1) again.replace(rows_at, 2, full, rows_at, 2);
    const auto mismatch = std::mismatch(again.begin(), again.end(), full.begin(), full.end());
    const auto common = static_cast<std::size_t>(mismatch.second - full.begin());
    ASSERT_GE(common + kLongestField, cut) << cut;
    ASSERT_EQ(back.management_hour, cut >= 1 ? s.management_hour : defaults.management_hour);
    ASSERT_EQ(back.last_active_day == 45000, cut >= 1 + 1 + 1 + 15 + 4) << cut;
    ASSERT_LE(back.sharing_table.size(), 2u);
    ASSERT_TRUE(back.chime_profile.empty() || cut == full.size()) << cut;
  }
}

TEST(Settings, HostileRowCountsStopAtTheEndOfTheFile) {
  Settings s = sample_settings();
  std::string record = write_settings(s, 45000);
  // Field 46 follows the default mail block; find it by its row count of 2.
  const std::size_t rows_at = record.find(std::string("\x02\x00paul", 6));
  ASSERT_NE(rows_at, std::string::npos);
  record[rows_at] = '\xFF';
  record[rows_at + 1] = '\x7F';  // 32767 rows announced, two present
  Settings back = default_settings(45000, false);
  EXPECT_EQ(read_settings(record, back), kReadEnd);
  EXPECT_LE(back.sharing_table.size(), 20u);
}

TEST(Settings, SavingGoesThroughTheBackupAndALeftOverBackupWinsAtStart) {
  TempFolder program;
  const Settings s = sample_settings();
  ASSERT_TRUE(savesettings(program.path(), s, 45000));
  EXPECT_FALSE(file_exists(program.path() / "agenda.bak"));
  const std::string saved = read_bytes(program.path() / "agenda.bin");
  EXPECT_EQ(saved, write_settings(s, 45000));

  // A save that died after moving agenda.bin aside and writing half of the new one.
  std::filesystem::rename(program.path() / "agenda.bin", program.path() / "agenda.bak");
  write_bytes(program.path() / "agenda.bin", saved.substr(0, 7));
  Settings loaded = default_settings(45001, false);
  loadsettings(program.path(), loaded);
  EXPECT_FALSE(file_exists(program.path() / "agenda.bak"));
  EXPECT_EQ(read_bytes(program.path() / "agenda.bin"), saved);
  EXPECT_EQ(loaded.chime_profile, "Westminster");
  EXPECT_EQ(loaded.last_active_day, 45000);
}

TEST(Settings, WithoutAFileTheDefaultsHold) {
  TempFolder program;
  Settings loaded = default_settings(45001, false);
  loadsettings(program.path(), loaded);
  EXPECT_EQ(loaded.last_active_day, 45001);
  EXPECT_EQ(loaded.backups_kept, 5);
  EXPECT_EQ(loaded.forewarning_hour, 255);
  EXPECT_EQ(loaded.inactivity_days, 30);
  EXPECT_EQ(loaded.default_alarm.frequency, 1760);
}

TEST(Settings, TheDateChecksAskAboutAClockBehindOrALongAbsence) {
  Settings s = default_settings(45000, false);
  EXPECT_EQ(check_settings_date(s, 45000).kind, DateCheck::kNone);
  EXPECT_EQ(check_settings_date(s, 44999).kind, DateCheck::kClockBehind);
  EXPECT_EQ(date_check_question(check_settings_date(s, 44999)),
            "La date de votre système est inférieure à celle retenue par l'agenda. Souhaitez-vous "
            "l'arrêter, le temps de réajuster la date et l'heure?");
  EXPECT_EQ(check_settings_date(s, 45030).kind, DateCheck::kNone);
  const DateCheck absent = check_settings_date(s, 45031);
  EXPECT_EQ(absent.kind, DateCheck::kLongAbsence);
  EXPECT_EQ(date_check_question(absent),
            "L'agenda n'a pas été activé depuis 31 jours. Souhaitez-vous l'arrêter, le temps de "
            "réajuster la date et l'heure?");
  s.inactivity_days = 0;
  EXPECT_EQ(check_settings_date(s, 46000).kind, DateCheck::kNone);
}

// A last active day read from outside that no calendar holds is no day at all: the start-up
// takes today, and asks nothing. Near the ends of the 32-bit range the sums once overflowed.
TEST(Settings, ALastActiveDayOutsideTheCalendarCountsAsToday) {
  TempFolder program;
  for (const int stored : {-2147483647 - 1, -2147437688, -1, 2147483647, 2147450000}) {
    Settings s = default_settings(45000, false);
    s.inactivity_days = 30;
    write_bytes(program.path() / "agenda.bin", write_settings(s, stored));
    Settings loaded = default_settings(45100, false);
    loadsettings(program.path(), loaded);
    EXPECT_EQ(loaded.last_active_day, 45100) << stored;
    EXPECT_EQ(check_settings_date(loaded, 45100).kind, DateCheck::kNone) << stored;
  }
  // The check itself never overflows, whatever the settings hold.
  Settings s = default_settings(45000, false);
  s.last_active_day = -2147483647 - 1;
  s.inactivity_days = -32768;
  EXPECT_EQ(check_settings_date(s, 45000).kind, DateCheck::kNone);
  s.inactivity_days = 32767;
  s.last_active_day = 2147483647 - 10;
  EXPECT_EQ(check_settings_date(s, 2147483647).kind, DateCheck::kNone);
}

}  // namespace
}  // namespace tavelo
