#include "maintenance/backup_archive.hpp"

#include <gtest/gtest.h>

#include <chrono>

#include "alarms/alarm_profile.hpp"
#include "alarms/chime_profile.hpp"
#include "planning/calendar.hpp"
#include "planning/categories.hpp"
#include "planning/planning_file.hpp"
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

Settings settings_of_a() {
  Settings s = default_settings(45000, false);
  apply_zero_value_defaults(s);
  s.default_alarm = {3, "", 440, 80, 90, 7, 2, 3};
  s.default_spoken = {1, "2_80_3_-2", "Bonjour, ", 2, 10};
  s.default_mail = {"smtp.a", "a", "p", 587, "x@a", "r@a", "sujet a", 1, 0};
  s.night_mode = {22, 0, 6, 30};
  s.night_mode_active = 1;
  s.sharing_table = {SharingRow{{"paul", "/srv/partage", "", "", "", "", "21", "1", "0"}}};
  s.own_identifier = "moi";
  s.export_allowed = 1;
  s.chimes_active = 1;
  s.chime_profile = "big";
  return s;
}

Planning rich_planning() {
  Planning p;
  p.subject = "Réunion";
  p.type = 2;
  p.weekday_ticks = {0, 1, 0, 0, 1, 0, 0};
  p.note_kind = 2;
  p.note = "ligne 1\r\nligne 2";
  p.alarm = {3, "", 440, 80, -5, 0, 3, 2};
  p.category = "travail";
  p.series_link = "1700000000";
  p.occurrence_number = 2;
  p.sharing_identifiers = "paul\t";
  p.unique_identifier = "moi_1_2";
  p.mail_approved = 1;
  return p;
}

// A program folder holding one of everything a backup carries.
struct FullFolder {
  FullFolder() {
    const auto rdv = planning_folder(program.path());
    std::filesystem::create_directories(rdv);
    write_bytes(rdv / "45123 09-30.gnd", write_planning(rich_planning()));
    Planning simple;
    simple.subject = "Dentiste";
    write_bytes(rdv / "45124 08-00.gnda", write_planning(simple));
    write_bytes(rdv / "travail.cat", write_planning(simple));
    write_bytes(program.path() / kFilterFile, write_filter({"loisirs", "travail"}));
    SaveAlarmProfile(rdv / "nuit.alm", {2, "", 1, 2, 3, 4, 5, 6});
    const auto chimes = chime_folder(program.path());
    std::filesystem::create_directories(chimes / "big");
    write_bytes(chimes / "big" / "dong.wav", std::string(20000, 'd'));
    ChimeProfile profile;
    profile.hours = {{"big\\dong.wav", 100, 0, 0}};
    write_bytes(chimes / "big.car", write_chime_profile(profile));
  }
  TempFolder program;
  Settings settings = settings_of_a();
};

std::vector<std::string> files_of(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      names.push_back(std::filesystem::relative(entry.path(), folder).string() + "=" +
                      read_bytes(entry.path()));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(BackupArchive, ARestoreInAnotherAgendaGivesBackEverything) {
  FullFolder a;
  ScriptedPrompts prompts;
  const auto archive = a.program.path() / "sauvegarde.agb";
  write_bytes(archive, writearchive(a.program.path(), a.settings, true, prompts));
  EXPECT_FALSE(file_exists(a.program.path() / "carbackup.crx"));

  TempFolder b;
  std::filesystem::create_directories(planning_folder(b.path()));
  // What the archive does not hold goes; what it holds takes the place of its namesake.
  write_bytes(planning_folder(b.path()) / "40000 00-00.gnd", "not in the archive");
  write_bytes(planning_folder(b.path()) / "loisirs.cat", "not in the archive");
  write_bytes(planning_folder(b.path()) / "45123 09-30.gnd", "older");
  // A namesake that holds the archive's bytes and more is replaced; one that holds them
  // exactly is left as it is.
  const auto rdv_a = planning_folder(a.program.path());
  write_bytes(planning_folder(b.path()) / "travail.cat", read_bytes(rdv_a / "travail.cat") + "x");
  const auto unchanged = planning_folder(b.path()) / "45124 08-00.gnda";
  write_bytes(unchanged, read_bytes(rdv_a / "45124 08-00.gnda"));
  const auto long_ago = std::filesystem::last_write_time(unchanged) - std::chrono::hours(24 * 400);
  std::filesystem::last_write_time(unchanged, long_ago);
  Settings settings_b = default_settings(46000, false);
  apply_zero_value_defaults(settings_b);
  ASSERT_TRUE(readarchive(archive, b.path(), settings_b, 46000, prompts));
  EXPECT_TRUE(prompts.notices.empty()) << prompts.notices.front();
  EXPECT_EQ(std::filesystem::last_write_time(unchanged), long_ago);
  EXPECT_EQ(files_of(planning_folder(b.path())), files_of(planning_folder(a.program.path())));
  EXPECT_EQ(files_of(chime_folder(b.path())), files_of(chime_folder(a.program.path())));
  EXPECT_EQ(read_bytes(b.path() / kFilterFile), read_bytes(a.program.path() / kFilterFile));
  EXPECT_EQ(write_settings(settings_b, 1), write_settings(a.settings, 1));
  EXPECT_EQ(read_bytes(b.path() / kSettingsFile), write_settings(a.settings, 46000));
  EXPECT_FALSE(file_exists(b.path() / "carrestore.crx"));
}

TEST(BackupArchive, APlanningThatCannotBeRestoredIsToldAndTheOthersComeBack) {
  FullFolder a;
  ScriptedPrompts prompts;
  const auto archive = a.program.path() / "sauvegarde.agb";
  write_bytes(archive, writearchive(a.program.path(), a.settings, true, prompts));
  TempFolder b;
  // A folder holds the place of one planning's file.
  std::filesystem::create_directories(planning_folder(b.path()) / "45123 09-30.gnd" / "dedans");
  Settings settings_b = default_settings(46000, false);
  ASSERT_TRUE(readarchive(archive, b.path(), settings_b, 46000, prompts));
  EXPECT_EQ(prompts.notices,
            std::vector<std::string>{"impossible d'écrire le fichier 45123 09-30.gnd"});
  EXPECT_EQ(read_bytes(planning_folder(b.path()) / "45124 08-00.gnda"),
            read_bytes(planning_folder(a.program.path()) / "45124 08-00.gnda"));
  EXPECT_EQ(list_files(planning_folder(b.path()), "~*"), std::vector<std::string>{});
}

// An archive may name one planning twice: the last one stands, even where the folder holds
// it already and the first does not.
TEST(BackupArchive, APlanningNamedTwiceIsRestoredAsTheLastOne) {
  TempFolder a;
  const auto rdv_a = planning_folder(a.path());
  std::filesystem::create_directories(rdv_a);
  Planning first, last;
  first.subject = "premier";
  last.subject = "dernier";
  write_bytes(rdv_a / "45123 09-30.gnd", write_planning(first));
  write_bytes(rdv_a / "45124 09-30.gnd", write_planning(last));
  ScriptedPrompts prompts;
  Settings settings = default_settings(45000, false);
  apply_zero_value_defaults(settings);
  std::string bytes = writearchive(a.path(), settings, false, prompts);
  const std::size_t second_name = bytes.find("45124 09-30.gnd");
  ASSERT_NE(second_name, std::string::npos);
  bytes.replace(second_name, 15, "45123 09-30.gnd");
  write_bytes(a.path() / "double.agb", bytes);

  TempFolder b;
  std::filesystem::create_directories(planning_folder(b.path()));
  write_bytes(planning_folder(b.path()) / "45123 09-30.gnd", write_planning(last));
  ASSERT_TRUE(readarchive(a.path() / "double.agb", b.path(), settings, 45000, prompts));
  EXPECT_EQ(read_bytes(planning_folder(b.path()) / "45123 09-30.gnd"), write_planning(last));
}

TEST(BackupArchive, TheLayoutKeepsTheAlarmCountBetweenTheSettingsBlocks) {
  TempFolder empty;
  ScriptedPrompts prompts;
  const Settings s = settings_of_a();
  const std::string archive = writearchive(empty.path(), s, false, prompts);
  RecordWriter expected;
  printstring(expected, "version: 6.40");
  print32(expected, 0);
  print32(expected, 0);
  print8(expected, 0);
  write_settings_first_block(expected, s, s.last_active_day, true);
  print16(expected, 0);
  write_settings_second_block(expected, s);
  print8(expected, 0);
  EXPECT_EQ(archive, expected.bytes);
}

// An archive of an older version, written field by field as that version wrote it.
struct OldArchive {
  explicit OldArchive(const std::string& label) : version(label) {}
  bool has(std::string_view gate) const { return version.compare(gate) >= 0; }

  std::string bytes() const {
    RecordWriter out;
    printstring(out, version);
    print32(out, 1);
    printstring(out, "45123 09-30.gnd");
    planning(out);
    print32(out, 0);
    print8(out, 0);
    first_block(out);
    print16(out, 0);
    second_block(out);
    return out.bytes;
  }

  void planning(RecordWriter& out) const {
    printstring(out, "Ancien");
    for (int value : {1, 1, 3, 0, 0, 1}) print8(out, value);  // type .. alarm kind
    printstring(out, "");
    for (int value : {440, 80, 90, 7}) print16(out, value);
    print8(out, 0);  // task block
    printstring(out, "");
    printstring(out, "");
    for (int value = 0; value < 13; ++value) print8(out, 0);  // the numbers up to the task states
    printstring(out, "travail");
    print16(out, -1);
    if (has("version: 1.17e")) print8(out, 2);
    if (has("version: 1.18")) printstring(out, "");
    if (has("version: 4.0")) {
      print8(out, 1);
      printvoice(out, "3_70_1_1");
      printstring(out, "ancien texte");
      for (int value : {1, 5}) print8(out, value);
      printstring(out, "");
      print8(out, 0);
      for (const char* text : {"smtp.ancien", "", ""}) printstring(out, text);
      print16(out, 25);
      for (const char* text : {"", "", "objet ancien"}) printstring(out, text);
      print8(out, 0);
      print8(out, 0);
    }
    if (has("version: 5.0")) {
      printstring(out, "paul\t");
      printstring(out, "moi_1_2");
    }
    if (has("version: 5.01")) print8(out, 1);
  }

  void first_block(RecordWriter& out) const {
    for (int value : {6, 30, 1}) print8(out, value);
    printstring(out, "journal");
    print32(out, 44000);
    for (int value : {1, 0, 1}) print8(out, value);
    printstring(out, "");
    for (int value : {1760, 50, 50, 120, 0, 0}) print16(out, value);
    print8(out, 2);
    print8(out, has("version: 1.17e") ? 25 : 7);  // screen-reader wait, or older: restart delay
    for (int value : {1, 2, 1}) print8(out, value);
    print16(out, 9);
    if (has("version: 1.17e")) print8(out, 7);
    if (has("version: 1.19")) {
      for (int value : {8, 15, 1}) print8(out, value);
    }
  }

  void second_block(RecordWriter& out) const {
    print8(out, 0);
    print8(out, 0);
    if (has("version: 2.1")) {
      for (int value : {23, 0, 7, 0, 1}) print8(out, value);
      printstring(out, "nuit");
      print8(out, 1);
    }
    if (has("version: 4.0")) {
      print8(out, 3);
      print8(out, 1);
      printvoice(out, "1_90_0_0");
      printstring(out, "Hé, ");
      print8(out, 0);
      print8(out, 0);
      for (const char* text : {"smtp.s", "", ""}) printstring(out, text);
      print16(out, 465);
      for (const char* text : {"", "", "sujet s"}) printstring(out, text);
      print8(out, 0);
      print8(out, 0);
    }
    if (has("version: 5.0")) {
      print16(out, 1);
      printstring(out, "paul");
      printstring(out, "/srv/paul");
      printstring(out, "moi");
      print8(out, 1);
      print8(out, 1);
      for (const char* text : {"", "", "", ""}) printstring(out, text);
    }
    if (has("version: 6.03")) {
      print8(out, 0);  // mail approved
      for (const char* text : {"21", "1", "0"}) printstring(out, text);
      print16(out, 12);
      print8(out, 0);
      printstring(out, "");
      print8(out, 0);  // no chimes
    }
  }

  std::string version;
};

struct Restored {
  Planning planning;
  Settings settings;
};

Restored restore(const std::string& archive, const Settings& current) {
  TempFolder program;
  write_bytes(program.path() / "old.agb", archive);
  Settings settings = current;
  ScriptedPrompts prompts;
  EXPECT_TRUE(readarchive(program.path() / "old.agb", program.path(), settings, 46000, prompts));
  int readerror = 0;
  return {loadplanning(planning_folder(program.path()) / "45123 09-30.gnd", program.path(),
                       settings, readerror),
          settings};
}

TEST(BackupArchive, OlderArchivesRestoreWithTheDefaultsOfTheirVersion) {
  const Settings current = settings_of_a();
  for (const char* label : {"version: 1.17e", "version: 1.18", "version: 2.1", "version: 4.0",
                            "version: 5.0", "version: 6.03"}) {
    SCOPED_TRACE(label);
    const OldArchive old(label);
    const Restored r = restore(old.bytes(), current);
    EXPECT_EQ(r.planning.subject, "Ancien");
    EXPECT_EQ(r.planning.category, "travail");
    EXPECT_EQ(r.planning.month_anchor, 2);
    EXPECT_EQ(r.settings.management_hour, 6);
    EXPECT_EQ(r.settings.backups_kept, 9);
    EXPECT_EQ(r.settings.screen_reader_wait, 25);
    EXPECT_EQ(r.settings.restart_delay, 7);
    EXPECT_EQ(r.settings.forewarning_hour, old.has("version: 1.19") ? 8 : 0);
    EXPECT_EQ(r.settings.night_alarm, old.has("version: 2.1") ? "nuit" : "");
    EXPECT_EQ(r.settings.night_mode[0], old.has("version: 2.1") ? 23 : 0);
    if (old.has("version: 4.0")) {
      EXPECT_EQ(r.planning.spoken.text, "ancien texte");
      EXPECT_EQ(r.planning.mail.server, "smtp.ancien");
      EXPECT_EQ(r.settings.pc_pulse_output, 3);
      EXPECT_EQ(r.settings.default_mail.port, 465);
    } else {
      // The planning takes the current settings' notifications; the settings the old defaults.
      EXPECT_EQ(r.planning.spoken.voice, "0_100_0_0");
      EXPECT_EQ(r.planning.spoken.text, "Bonjour, ");
      EXPECT_EQ(r.planning.mail.server, "smtp.a");
      EXPECT_EQ(r.settings.pc_pulse_output, 1);
      EXPECT_EQ(r.settings.default_spoken.voice, "0_100_0_0");
      EXPECT_EQ(r.settings.default_spoken.text, "notification de Tavelo, ");
      EXPECT_EQ(r.settings.default_mail.port, 25);
      EXPECT_EQ(r.settings.default_mail.server, "");
      EXPECT_EQ(r.settings.default_mail.subject, "notification de Tavelo");
    }
    EXPECT_EQ(r.planning.sharing_identifiers, old.has("version: 5.0") ? "paul\t" : "");
    EXPECT_EQ(r.planning.mail_approved, old.has("version: 5.01") ? 1 : 0);
    EXPECT_EQ(r.settings.sharing_table.size(), old.has("version: 5.0") ? 1u : 0u);
    EXPECT_EQ(r.settings.own_identifier, old.has("version: 5.0") ? "moi" : "");
    EXPECT_EQ(r.settings.inactivity_days, old.has("version: 6.03") ? 12 : 30);
    EXPECT_EQ(r.settings.chime_profile, old.has("version: 6.03") ? "" : "big");
  }
}

TEST(BackupArchive, ADamagedArchiveChangesNothing) {
  FullFolder a;
  ScriptedPrompts quiet;
  const std::string archive = writearchive(a.program.path(), a.settings, false, quiet);
  const auto before = files_of(a.program.path());
  // Cut anywhere before the settings' later fields: refused, and nothing deleted.
  const std::size_t whole_from = archive.size() - write_settings(a.settings, 1).size() / 2;
  for (std::size_t cut :
       {std::size_t{0}, std::size_t{5}, std::size_t{40}, archive.size() / 3, whole_from - 200}) {
    write_bytes(a.program.path() / "cut.agb", archive.substr(0, cut));
    ScriptedPrompts prompts;
    Settings settings = a.settings;
    EXPECT_FALSE(
        readarchive(a.program.path() / "cut.agb", a.program.path(), settings, 46000, prompts));
    ASSERT_EQ(prompts.notices.size(), 1u);
    EXPECT_NE(prompts.notices[0].find("rien n'a été récupéré"), std::string::npos);
    std::filesystem::remove(a.program.path() / "cut.agb");
    EXPECT_EQ(files_of(a.program.path()), before) << cut;
  }
}

// The chime block is checked whole before anything changes: a damaged one once ended the
// program after the plannings, templates, filter and alarms had been replaced.
TEST(BackupArchive, ADamagedChimeBlockChangesNothing) {
  FullFolder a, b;
  ScriptedPrompts quiet;
  std::string archive = writearchive(a.program.path(), a.settings, false, quiet);
  ASSERT_EQ(archive.back(), '\0');  // the chime flag
  archive.pop_back();
  std::string crx("2zlp");
  const std::string profile = write_chime_profile(ChimeProfile{});
  for (const auto& [stored, name] : {std::pair{std::uint64_t{profile.size()}, std::string("p.car")},
                                     std::pair{~std::uint64_t{0} - 2, std::string("p\\a.w")}}) {
    for (int i = 0; i < 8; ++i) crx += static_cast<char>((profile.size() >> (8 * i)) & 0xFF);
    for (int i = 0; i < 8; ++i) crx += static_cast<char>((stored >> (8 * i)) & 0xFF);
    crx += static_cast<char>(name.size());
    crx += '\0';
    crx += name;
  }
  crx.insert(4 + 18 + 5, profile);
  RecordWriter chimes;
  print8(chimes, 1);
  print32(chimes, static_cast<std::int64_t>(crx.size()));
  archive += chimes.bytes + crx;
  write_bytes(a.program.path() / "x.agb", archive);

  write_bytes(planning_folder(b.program.path()) / "46000 10-00.gnd", write_planning(Planning{}));
  b.settings.management_hour = 7;
  const auto before = files_of(b.program.path());
  Settings settings = b.settings;
  ScriptedPrompts prompts;
  EXPECT_FALSE(readarchive(a.program.path() / "x.agb", b.program.path(), settings, 46000, prompts));
  EXPECT_EQ(prompts.notices,
            std::vector<std::string>{"L'archive " + (a.program.path() / "x.agb").string() +
                                     " est endommagée ou incomplète: rien n'a été récupéré."});
  EXPECT_EQ(files_of(b.program.path()), before);
  EXPECT_EQ(write_settings(settings, 1), write_settings(b.settings, 1));
}

TEST(BackupArchive, NamesThatLeaveTheirFolderAreRefused) {
  RecordWriter out;
  printstring(out, "version: 6.40");
  print32(out, 2);
  printstring(out, "../../evil.gnd");
  out.bytes += write_planning(Planning{});
  printstring(out, "45000 10-00.gnd");
  out.bytes += write_planning(Planning{});
  print32(out, 0);
  print8(out, 0);
  const Settings s = settings_of_a();
  write_settings_first_block(out, s, 1, true);
  print16(out, 1);
  printstring(out, "/tmp/evil.alm");
  out.bytes += write_alarm_profile({});
  TempFolder program;
  write_bytes(program.path() / "x.agb", out.bytes);
  Settings settings = s;
  ScriptedPrompts prompts;
  EXPECT_TRUE(readarchive(program.path() / "x.agb", program.path(), settings, 46000, prompts));
  EXPECT_TRUE(file_exists(planning_folder(program.path()) / "45000 10-00.gnd"));
  EXPECT_FALSE(file_exists(program.path() / "evil.gnd"));
  EXPECT_FALSE(file_exists("/tmp/evil.alm"));
  ASSERT_EQ(prompts.notices.size(), 1u);
  EXPECT_EQ(prompts.notices[0],
            "Le nom ../../evil.gnd de l'archive est refusé.\rLe nom /tmp/evil.alm de l'archive est "
            "refusé.");
}

TEST(BackupArchive, AutomaticBackupsOncePerDayKeepingTheNewest) {
  EXPECT_EQ(autobackupname(daynumber(2026, 3, 7)), "2026-03-07 autobackup.agb");
  FullFolder a;
  ScriptedPrompts prompts;
  for (int day = 1; day <= 6; ++day) {
    write_bytes(a.program.path() / autobackupname(daynumber(2026, 1, day)), "old");
  }
  const int today = daynumber(2026, 1, 7);
  automatic_backup(a.program.path(), a.settings, today, prompts);
  EXPECT_EQ(list_files(a.program.path(), "*autobackup.agb"),
            (std::vector<std::string>{"2026-01-03 autobackup.agb", "2026-01-04 autobackup.agb",
                                      "2026-01-05 autobackup.agb", "2026-01-06 autobackup.agb",
                                      "2026-01-07 autobackup.agb"}));
  const std::string first = read_bytes(a.program.path() / autobackupname(today));
  EXPECT_EQ(first, writearchive(a.program.path(), a.settings, false, prompts));

  write_bytes(planning_folder(a.program.path()) / "45200 10-00.gnd", write_planning(Planning{}));
  automatic_backup(a.program.path(), a.settings, today, prompts);
  EXPECT_EQ(read_bytes(a.program.path() / autobackupname(today)), first);

  Settings keep_none = a.settings;
  keep_none.backups_kept = 0;
  automatic_backup(a.program.path(), keep_none, today, prompts);
  EXPECT_EQ(list_files(a.program.path(), "*autobackup.agb"),
            std::vector<std::string>{"2026-01-07 autobackup.agb"});
}

}  // namespace
}  // namespace tavelo
