#include "planning/planning_file.hpp"

#include <gtest/gtest.h>

#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/sim/fixed_clock.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::TempFolder;
using testing::read_bytes;
using testing::write_bytes;

Settings working_settings() {
  Settings s = default_settings(45000, false);
  s.default_alarm = {2, "", 880, 100, 200, 5, 0, 0};
  s.default_spoken = {1, "2_80_3_-2", "rappel: ", 2, 15};
  s.default_mail = {"smtp.exemple.fr", "moi", "secret", 587, "a@b.fr", "moi@b.fr", "sujet", 1, 1};
  return s;
}

// A planning that uses every conditional field.
Planning full_planning() {
  Planning p;
  p.subject = "Réunion d'équipe";
  p.type = 2;
  p.weekday_ticks = {0, 1, 0, 0, 1, 0, 0};
  p.journal = 1;
  p.forewarning_days = 3;
  p.note_kind = 2;
  p.note = "ligne un\r\nligne deux";
  p.alarm_state = 1;
  p.alarm = {3, "sons\\cloche.wav", 440, 80, -5, 0, 3, 2};
  p.task = {1, "prog", "-x", 1, 15, 1, 2, 10, 1, 60, 1, 1, 1};
  p.category = "travail";
  p.number_of_times = 10;
  p.month_anchor = 2;
  p.series_link = "1700000000";
  p.occurrence_number = 4;
  p.spoken = {2, "1_90_-3_4", "Il est l'heure", 3, 20};
  p.url_task_link = "http://127.0.0.1/x";
  p.url_task_active = 1;
  p.mail = {"smtp", "u", "p", 465, "x@y.fr\ty@z.fr", "r@y.fr", "objet", 1, 1};
  p.sharing_identifiers = "paul\tmarie\t";
  p.unique_identifier = "moi_1700000000_123";
  p.mail_approved = 1;
  return p;
}

void expect_same(const Planning& a, const Planning& b) {
  EXPECT_EQ(write_planning(a), write_planning(b));
  EXPECT_EQ(a.subject, b.subject);
  EXPECT_EQ(a.note, b.note);
  EXPECT_EQ(a.alarm.sound_file, b.alarm.sound_file);
}

TEST(PlanningFile, EveryFieldSurvivesARoundTrip) {
  const Planning p = full_planning();
  int readerror = -1;
  const Planning back = read_planning(write_planning(p), working_settings(), readerror);
  EXPECT_EQ(readerror, kReadOk);
  expect_same(back, p);
  EXPECT_EQ(back.weekday_ticks, p.weekday_ticks);
  EXPECT_EQ(back.alarm.wave_repetitions, 2);
  EXPECT_EQ(back.occurrence_number, 4);
  EXPECT_EQ(back.spoken.voice, "1_90_-3_4");
  EXPECT_EQ(back.mail_approved, 1);
}

TEST(PlanningFile, ConditionalFieldsAppearOnlyUnderTheirConditions) {
  Planning p;
  p.subject = "x";
  p.type = 3;
  const std::string plain = write_planning(p);
  // subject "x\0", type, journal, forewarning, note kind: no ticks for type 3
  EXPECT_EQ(plain.substr(0, 6), std::string("x\0\x03\x00\x00\x00", 6));
  p.type = 2;
  EXPECT_EQ(write_planning(p).size(), plain.size() + 7);
  EXPECT_EQ(write_planning(p)[3], '\0');  // the Sunday tick follows the type byte

  // Without a series link there is no occurrence number; unlimited plannings have none.
  p.type = 3;
  p.occurrence_number = 9;
  EXPECT_EQ(write_planning(p), plain);
  p.series_link = "1";
  EXPECT_EQ(write_planning(p).size(), plain.size() + 1 + 2);

  Planning mixed;
  mixed.alarm.kind = 3;
  EXPECT_EQ(write_planning(mixed).size(), write_planning(Planning{}).size() + 4);
}

TEST(PlanningFile, NotesOfTheOlderInlineFormAreReadAndSavedInTheCurrentOne) {
  RecordWriter old;
  printstring(old, "  ancien  ");
  print8(old, 1);
  print8(old, 0);
  print8(old, 0);
  print8(old, 1);  // note kind 1
  print8(old, 0);
  print8(old, 0);
  print8(old, 2);  // two lines
  print8(old, 0);
  printstring(old, "première");
  print8(old, 0);
  printstring(old, "seconde");
  int readerror = 0;
  Planning p = read_planning(old.bytes, working_settings(), readerror);
  EXPECT_EQ(p.subject, "ancien");
  EXPECT_EQ(p.note, "première\r\nseconde");
  const std::string saved = write_planning(p);
  EXPECT_EQ(saved[10], '\x02');  // "ancien\0", type, journal, forewarning, then the note kind
  EXPECT_EQ(read_planning(saved, working_settings(), readerror).note, "première\r\nseconde");
}

TEST(PlanningFile, ABlankNoteCountsAsNoNote) {
  Planning p;
  p.note_kind = 2;
  p.note = " \r\n  \r\n";
  int readerror = 0;
  EXPECT_EQ(read_planning(write_planning(p), working_settings(), readerror).note_kind, 0);
}

std::string alarm_bytes(const AlarmProfile& alarm) {
  Planning p;
  p.alarm = alarm;
  return write_planning(p);
}

// Expected planning after a cut: each group read in full before the cut stays, a group the cut
// falls in takes its defaults (group A only for its alarm), later groups take theirs.
TEST(PlanningFile, ARecordCutAtEveryByteKeepsWhatWasReadAndDefaultsTheRest) {
  const Settings settings = working_settings();
  Planning p = full_planning();
  p.alarm.sound_file.clear();
  const std::string record = write_planning(p);
  Planning defaults;
  defaults.alarm = settings.default_alarm;
  defaults.spoken = settings.default_spoken;
  defaults.spoken.mode = 0;
  defaults.spoken.voice = "0_100_0_0";
  defaults.mail = settings.default_mail;

  int previous_field_count = -1;
  // The last byte, the mail approved flag, is optional: a file ending before it is complete.
  for (std::size_t cut = 0; cut + 1 < record.size(); ++cut) {
    int readerror = 0;
    const Planning q = read_planning(record.substr(0, cut), settings, readerror);
    ASSERT_EQ(readerror, kReadEnd) << cut;
    // Whatever the cut, each part is either the saved value or its default, never garbage.
    const auto either = [&](auto got, auto saved, auto fallback) {
      return got == saved || got == fallback;
    };
    ASSERT_TRUE(either(q.subject, p.subject, defaults.subject)) << cut;
    ASSERT_TRUE(either(q.type, p.type, defaults.type)) << cut;
    ASSERT_TRUE(either(q.note, p.note, defaults.note)) << cut;
    ASSERT_TRUE(either(alarm_bytes(q.alarm), alarm_bytes(p.alarm), alarm_bytes(defaults.alarm)))
        << cut;
    ASSERT_TRUE(either(q.task.active, p.task.active, 0)) << cut;
    ASSERT_TRUE(either(q.category, p.category, defaults.category)) << cut;
    ASSERT_TRUE(either(q.series_link, p.series_link, std::string())) << cut;
    ASSERT_TRUE(either(q.spoken.voice, p.spoken.voice, defaults.spoken.voice)) << cut;
    ASSERT_TRUE(either(q.spoken.text, p.spoken.text, defaults.spoken.text)) << cut;
    ASSERT_TRUE(either(q.mail.server, p.mail.server, defaults.mail.server)) << cut;
    ASSERT_TRUE(either(q.sharing_identifiers, p.sharing_identifiers, std::string())) << cut;
    ASSERT_EQ(q.mail_approved, 0) << cut;
    // A group is all or nothing: the spoken block and the mail block come back together.
    ASSERT_EQ(q.spoken.voice == p.spoken.voice, q.mail.server == p.mail.server) << cut;
    // The more of the record there is, the more fields keep their saved value.
    const int kept = (q.subject == p.subject) + (q.type == p.type) + (q.note == p.note) +
                     (q.alarm.kind == p.alarm.kind) + (q.task.active == p.task.active) +
                     (q.category == p.category) + (q.spoken.voice == p.spoken.voice) +
                     (q.sharing_identifiers == p.sharing_identifiers);
    ASSERT_GE(kept, previous_field_count) << cut;
    previous_field_count = kept;
  }
  EXPECT_EQ(previous_field_count, 7);  // only the last group is missing at the last cut
}

TEST(PlanningFile, AFileEndingBeforeTheSpokenBlockTakesTheSettingsDefaults) {
  const Settings settings = working_settings();
  Planning p = full_planning();
  p.alarm.sound_file.clear();
  const std::string full = write_planning(p);
  // The first byte of the spoken block comes right after the series link and its number.
  const std::size_t after_group_c = full.find("1700000000") + 11 + 2;
  int readerror = 0;
  const Planning q = read_planning(full.substr(0, after_group_c), settings, readerror);
  EXPECT_EQ(q.series_link, "1700000000");
  EXPECT_EQ(q.occurrence_number, 4);
  EXPECT_EQ(q.spoken.mode, 0);
  EXPECT_EQ(q.spoken.voice, "0_100_0_0");
  EXPECT_EQ(q.spoken.text, "rappel: ");
  EXPECT_EQ(q.spoken.repetitions, 2);
  EXPECT_EQ(q.mail.server, "smtp.exemple.fr");
  EXPECT_EQ(q.mail.port, 587);
  EXPECT_TRUE(q.sharing_identifiers.empty());
  EXPECT_EQ(q.mail_approved, 0);
}

TEST(PlanningFile, AMissingSoundFileGivesWayToTheDefaultAlarm) {
  TempFolder program;
  std::filesystem::create_directories(program.path() / "rdv");
  std::filesystem::create_directories(program.path() / "sons");
  write_bytes(program.path() / "sons" / "present.wav", "RIFF");
  const Settings settings = working_settings();
  Planning p;
  p.alarm = {2, "sons\\present.wav", 1, 2, 3, 4, 0, 0};
  const auto file = program.path() / "rdv" / "45123 09-30.gnd";
  FixedClock clock({2024, 7, 1, 9, 0, 0, 0});
  ASSERT_TRUE(saveplanning(file, p, settings, clock, false));
  int readerror = 0;
  EXPECT_EQ(loadplanning(file, program.path(), settings, readerror).alarm.sound_file,
            "sons\\present.wav");
  std::filesystem::remove(program.path() / "sons" / "present.wav");
  const Planning q = loadplanning(file, program.path(), settings, readerror);
  EXPECT_EQ(q.alarm.kind, 2);
  EXPECT_EQ(q.alarm.sound_file, "");
  EXPECT_EQ(q.alarm.frequency, 880);
}

TEST(PlanningFile, SavingReplacesTheWholeFile) {
  TempFolder program;
  const auto file = program.path() / "45123 09-30.gnd";
  Planning p = full_planning();
  FixedClock clock({2024, 7, 1, 9, 0, 0, 0});
  ASSERT_TRUE(saveplanning(file, p, working_settings(), clock, false));
  Planning shorter;
  shorter.subject = "court";
  ASSERT_TRUE(saveplanning(file, shorter, working_settings(), clock, false));
  EXPECT_EQ(read_bytes(file), write_planning(shorter));
  EXPECT_FALSE(saveplanning(program.path() / "absent" / "x.gnd", shorter, working_settings(),
                            clock, false));
}

TEST(PlanningFile, ASharedPlanningGetsItsIdentifierAndCopiesWithoutMailSettings) {
  TempFolder program;
  Settings settings = working_settings();
  settings.own_identifier = "moi";
  settings.export_allowed = 1;
  FixedClock clock({2024, 7, 1, 9, 0, 0, 0});
  clock.advance(std::chrono::milliseconds(250));
  Planning p = full_planning();
  p.unique_identifier.clear();
  std::vector<SharedCopy> sent;
  const auto file = program.path() / "45123 09-30.gnd";
  ASSERT_TRUE(saveplanning(file, p, settings, clock, true,
                           [&](const std::vector<SharedCopy>& copies) { sent = copies; }));
  EXPECT_EQ(p.unique_identifier, "moi_" + std::to_string(clock.epochseconds()) + "_250");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].identifier, "paul");
  EXPECT_EQ(sent[1].identifier, "marie");
  EXPECT_EQ(sent[1].file_name, "cmd_" + p.unique_identifier + "_45123 09-30.gnd");
  EXPECT_EQ(sent[0].planning.mail.server, "");
  EXPECT_EQ(sent[0].planning.mail.port, 465);
  EXPECT_EQ(sent[0].planning.mail_approved, 0);
  EXPECT_EQ(sent[0].planning.subject, p.subject);

  EXPECT_FALSE(sharing_applies(program.path() / "45123 09-30.gnd limite", p, settings, true));
  EXPECT_FALSE(sharing_applies(program.path() / "45123 09-30.lmt;1", p, settings, true));
  EXPECT_FALSE(sharing_applies(file, p, settings, false));
  settings.export_allowed = 0;
  EXPECT_FALSE(sharing_applies(file, p, settings, true));
}

}  // namespace
}  // namespace tavelo
