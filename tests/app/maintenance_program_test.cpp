// Chimes, backups and updates through the real program, in scripted sessions, with the local web
// server of the tests as the maker's server: the first-run chime question and the offer of new
// profiles, the chime options from the calendar, a backup saved from the menu and restored in a
// fresh program folder, and an update whose failed file is fetched again at the next check.
#include <gtest/gtest.h>

#include <algorithm>

#include "alarms/alarm_profile.hpp"
#include "alarms/chime_archive.hpp"
#include "alarms/chime_profile.hpp"
#include "maintenance/update_check.hpp"
#include "planning/calendar.hpp"
#include "planning/categories.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/file_names.hpp"
#include "tests/app/program_folder_copy.hpp"
#include "tests/app/program_session.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {
namespace {

namespace fs = std::filesystem;

const int kToday = daynumber(2026, 12, 7);

// A copy of the program with its own folder, and the maker's server. Its chime folder is made
// unless the first run is wanted.
struct Agenda {
  explicit Agenda(const std::string& server, bool first_run = false)
      : program(copy_program_into(folder.path())) {
    write_bytes(folder.path() / "serveur.txt", server + "\n");
    if (!first_run) fs::create_directories(chime_folder(folder.path()));
  }
  Session session(std::string_view script, const std::vector<std::string>& arguments = {}) {
    return run_program_session(program, scripts.path(),
                               "now 2026-12-07 10:00\n" + std::string(script), arguments);
  }
  void save(const Settings& settings) const {
    ASSERT_TRUE(savesettings(folder.path(), settings, kToday));
  }
  Settings stored() const {
    Settings settings = default_settings(kToday, false);
    loadsettings(folder.path(), settings);
    return settings;
  }
  const fs::path& path() const { return folder.path(); }

  TempFolder folder, scripts;
  fs::path program;
};

Settings usual_settings(const fs::path& folder) {
  Settings settings = default_settings(kToday, false);
  apply_zero_value_defaults(settings);
  settings.journal_folder = (folder / "journal").string();
  return settings;
}

class MaintenanceProgram : public ::testing::Test {
 protected:
  // A profile on the server: its archive holds the profile and one sound.
  void serve_profile(const std::string& name) {
    ChimeProfile profile;
    profile.quarter_cycle = 3;
    profile.quarters = {{name + "\\quart.wav", 80, 0, 0}};
    write_bytes(root.path() / (name + ".crx"),
                write_archive({{name + ".car", write_chime_profile(profile)},
                               {name + "\\quart.wav", "RIFF " + name}}));
  }
  std::string requests() const { return read_bytes(log); }

  TempFolder root, work;
  fs::path log = work.path() / "requests.log";
  LocalServer maker{"http_server.py", {"--root", root.path().string(), "--log", log.string()}};
  std::string server = "http://" + maker.address();
};

TEST_F(MaintenanceProgram, TheFirstRunInstallsTheProfilesAndNewOnesAreOfferedInTheOptions) {
  for (const char* name : {"Big Ben", "Westminster", "Coucou", "Abbaye"}) serve_profile(name);
  write_bytes(root.path() / "carlist.txt", "Big Ben\r\nWestminster\r\nCoucou\r\n");
  Agenda agenda(server, true);
  agenda.save(usual_settings(agenda.path()));

  // The first start: the chime folder is made and the profiles installed on yes. The calendar's
  // chime options, after the question of the background agenda, choose one.
  const Session first = agenda.session(
      "answer yes\nwait 500ms\nmenu 62\nanswer yes\nwait 500ms\nselect 103 \"Westminster\"\n"
      "check 101\nclick ok\nwait 500ms\nmenu 6\n");
  EXPECT_EQ(first.code, 0) << first.text();
  EXPECT_TRUE(first.has(
      "question \"Voulez-vous télécharger les profiles des carillons ci-inclus?\\rSi vous n'êtes "
      "pas connectés à internet, ou si un problème survien durant le téléchargement, vous pouvez "
      "les télécharger à partir du calendrier, menu extra, options des carillons, onglet "
      "téléchargement.\" -> yes"))
      << first.text();
  EXPECT_TRUE(
      first.has("notice \"Notice...\" \"Les profiles des carillons sont maintemant "
                "installés.\""));
  EXPECT_TRUE(first.in_order("window \"option des carillons\"", "window \"Tavelo version: 6.40\""));
  EXPECT_TRUE(fs::exists(agenda.path() / "carillons" / "Coucou" / "quart.wav"));
  EXPECT_FALSE(fs::exists(agenda.path() / "Coucou.crx"));
  EXPECT_EQ(agenda.stored().chime_profile, "Westminster");
  EXPECT_EQ(agenda.stored().chimes_active, 1);
  EXPECT_EQ(agenda.stored().background_mode, 1);

  // A longer catalogue: new profiles are offered, and yes opens the download page, where the
  // new one is chosen.
  write_bytes(root.path() / "carlist.txt", "Big Ben\r\nWestminster\r\nCoucou\r\nAbbaye\r\n");
  const Session later = agenda.session(
      "answer yes\nwait 500ms\nmark 402 \"Abbaye\"\nclick 403\nwait 500ms\n"
      "click ok\nwait 500ms\nmenu 6\n");
  EXPECT_TRUE(
      later.has("question \"De nouveaux profile sont disponible. Souhaitez-vous les "
                "télcharger?\" -> yes"))
      << later.text();
  EXPECT_TRUE(later.has("focus 402 \"carillons\""));
  EXPECT_TRUE(later.has("notice \"Notice...\" \"le téléchargement est terminée.\""));
  EXPECT_TRUE(fs::exists(agenda.path() / "carillons" / "Abbaye.car"));
}

TEST_F(MaintenanceProgram, ABackupSavedFromTheMenuComesBackInAFreshFolderWhichRestarts) {
  Agenda saving(server);
  Settings settings = usual_settings(saving.path());
  settings.backups_kept = 12;
  settings.night_alarm = "douce";
  saving.save(settings);
  const fs::path rdv = planning_folder(saving.path());
  fs::create_directories(rdv);
  Planning dentist;
  dentist.subject = "Dentiste";
  write_bytes(rdv / planning_base_name(kToday, "09:30"), write_planning(dentist));
  write_bytes(rdv / "travail.cat", write_planning(dentist));
  write_bytes(saving.path() / kFilterFile, write_filter({"loisirs"}));
  ASSERT_TRUE(SaveAlarmProfile(rdv / "douce.alm", {2, "douce.wav", 0, 0, 0, 3, 0, 0}));
  const std::string archive = (work.path() / "sauvegarde.agb").string();
  const Session saved =
      saving.session("wait 500ms\nmenu 21\nanswer " + archive + "\nwait 500ms\nmenu 6\n");
  EXPECT_EQ(saved.code, 0) << saved.text();
  ASSERT_TRUE(fs::exists(archive)) << saved.text();

  Agenda restoring(server);
  restoring.save(usual_settings(restoring.path()));
  const Session restored = restoring.session("wait 500ms\nmenu 22\nanswer " + archive +
                                             "\nanswer yes\nwait 500ms\nmenu 6\n");
  EXPECT_EQ(restored.code, 0) << restored.text();
  EXPECT_EQ(restored.count("window \"Tavelo version: 6.40\""), 2) << "the calendar opens again";
  const fs::path back = planning_folder(restoring.path());
  EXPECT_EQ(read_bytes(back / planning_base_name(kToday, "09:30")), write_planning(dentist));
  EXPECT_EQ(read_bytes(back / "travail.cat"), write_planning(dentist));
  EXPECT_EQ(read_bytes(back / "douce.alm"), read_bytes(rdv / "douce.alm"));
  EXPECT_EQ(read_filter(restoring.path()), std::vector<std::string>{"loisirs"});
  EXPECT_EQ(restoring.stored().backups_kept, 12);
  EXPECT_EQ(restoring.stored().night_alarm, "douce");
}

TEST_F(MaintenanceProgram, AnUpdateInstallsThroughTheUpdaterAndFetchesAFailedFileAgain) {
  Agenda agenda(server);
  agenda.save(usual_settings(agenda.path()));
  write_bytes(agenda.path() / kInstalledIndex,
              update_index_text({kVersionLabel, kReleaseLabel, {{"/aide.htm", "1", "aide.htm"}}}));
  write_bytes(agenda.path() / "aide.htm", "aide 1");
  write_bytes(root.path() / "aide.htm", "aide 2");
  const UpdateIndex index{"version: 6.41",
                          kReleaseLabel,
                          {{"/aide.htm", "2", "aide.htm"}, {"/neuf.htm", "1", "manual\\neuf.htm"}}};
  write_bytes(root.path() / "agmajidx5.txt", update_index_text(index));

  // neuf.htm is not on the server yet: it does not arrive, and the updater leaves it out.
  const Session first = agenda.session("wait 500ms\nmenu 43\nanswer yes\nwait 2s\n", {"/cal"});
  EXPECT_EQ(first.code, 0) << first.text();
  EXPECT_TRUE(first.has("window \"Tavelo téléchargement\"")) << first.text();
  std::string updater_line;
  for (const std::string& line : first.lines) {
    if (line.starts_with("run \"" + (agenda.path() / program_file_names().updater).string() + "\"")) {
      updater_line = line;
    }
  }
  ASSERT_FALSE(updater_line.empty()) << first.text();
  EXPECT_TRUE(updater_line.ends_with("\"/cal\""));
  EXPECT_EQ(requests(), "/agmajidx5.txt\n/aide.htm\n/neuf.htm\n");

  // The updater, once the program has ended, puts the file into place and starts the agenda
  // again, which opens its calendar.
  const fs::path restart_script = agenda.scripts.path() / "restart.txt";
  const fs::path restart_transcript = agenda.scripts.path() / "restarted.txt";
  write_bytes(restart_script, "now 2026-12-07 10:05\nwait 500ms\nmenu 6\n");
  ::setenv("TAVELO_UI", ("script:" + restart_script.string()).c_str(), 1);
  ::setenv("TAVELO_TRANSCRIPT", restart_transcript.c_str(), 1);
  const std::string process = updater_line.substr(updater_line.find("\" \"") + 3);
  ChildProcess updater(
      {(agenda.path() / program_file_names().updater).string(), process.substr(0, process.find('"')), "/cal"});
  EXPECT_EQ(updater.wait(20000, [] {}), 0);
  EXPECT_TRUE(eventually(
      [&] { return read_bytes(restart_transcript).find("exit 0") != std::string::npos; }, 30000));
  ::unsetenv("TAVELO_UI");
  ::unsetenv("TAVELO_TRANSCRIPT");
  EXPECT_NE(read_bytes(restart_transcript).find("window \"Tavelo version: 6.40\""),
            std::string::npos);
  EXPECT_EQ(read_bytes(agenda.path() / "aide.htm"), "aide 2");
  EXPECT_FALSE(fs::exists(agenda.path() / "manual" / "neuf.htm"));

  // The second check fetches the file that failed, and that file alone.
  write_bytes(root.path() / "neuf.htm", "neuf");
  write_bytes(log, "");
  const Session second = agenda.session("wait 500ms\nmenu 43\nanswer yes\nwait 2s\n");
  EXPECT_EQ(requests(), "/agmajidx5.txt\n/neuf.htm\n") << second.text();
  EXPECT_EQ(read_bytes(agenda.path() / "maj" / "fichiers" / "manual" / "neuf.htm"), "neuf");
}

// From the hidden agenda's tray menu: the update downloaded starts the updater, and the agenda
// ends the program so that the updater can put the files into place.
TEST_F(MaintenanceProgram, TheTrayMenusUpdateCheckEndsTheAgendaForTheUpdater) {
  Agenda agenda(server);
  Settings settings = usual_settings(agenda.path());
  settings.background_mode = 1;
  settings.management_hour = 23;
  settings.management_minute = 59;
  settings.update_check = 1;  // no automatic check: the tray menu asks for this one
  agenda.save(settings);
  // A planning to come keeps the agenda running.
  const fs::path rdv = planning_folder(agenda.path());
  fs::create_directories(rdv);
  Planning dentist;
  dentist.subject = "dentiste";
  dentist.type = kTypeOneOff;
  write_bytes(rdv / free_planning_name(rdv, kToday + 1, "09:00"), write_planning(dentist));
  write_bytes(agenda.path() / kInstalledIndex,
              update_index_text({kVersionLabel, kReleaseLabel, {{"/aide.htm", "1", "aide.htm"}}}));
  write_bytes(root.path() / "aide.htm", "aide 2");
  write_bytes(
      root.path() / "agmajidx5.txt",
      update_index_text({"version: 6.41", kReleaseLabel, {{"/aide.htm", "2", "aide.htm"}}}));

  const Session s =
      agenda.session("wait 500ms\nclose\nwait 1s\ntray 1\nwait 1s\nmenu 5\nanswer yes\nwait 2s\n");
  EXPECT_EQ(s.code, 0) << s.text();
  EXPECT_TRUE(s.in_order("hide \"Tavelo en temps réel\"", "window \"Tavelo téléchargement\""))
      << s.text();
  const std::string updater = "run \"" + (agenda.path() / program_file_names().updater).string() + "\"";
  EXPECT_TRUE(std::any_of(s.lines.begin(), s.lines.end(), [&](const std::string& line) {
    return line.starts_with(updater);
  })) << s.text();
  EXPECT_EQ(requests(), "/agmajidx5.txt\n/aide.htm\n");
  EXPECT_EQ(agenda.stored().realtime_running, 0);
  EXPECT_FALSE(fs::exists(agenda.path() / "agendalock"));
}

}  // namespace
}  // namespace tavelo::testing
