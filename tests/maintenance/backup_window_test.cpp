// The backup menu in scripted sessions: an archive saved from one program folder and restored in
// a fresh one, the confirmation, a damaged archive, and the backup settings with their limits.
#include "maintenance/backup_window.hpp"

#include <gtest/gtest.h>

#include "access/speech.hpp"
#include "access/window_prompts.hpp"
#include "alarms/alarm_profile.hpp"
#include "alarms/chime_profile.hpp"
#include "planning/calendar.hpp"
#include "planning/categories.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/program_folder.hpp"
#include "platform/services.hpp"
#include "platform/files.hpp"
#include "platform/sim/transcript.hpp"
#include "tests/support/record_samples.hpp"
#include "tests/support/script_runner.hpp"

namespace tavelo::testing {
namespace {

// The day the sessions start on.
const int kToday = daynumber(2026, 1, 5);

// Every file under a folder with its bytes, by its path inside the folder.
std::map<std::string, std::string> contents_of(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[entry.path().lexically_relative(folder).string()] = read_bytes(entry.path());
    }
  }
  return files;
}

// A program folder holding one of everything the user enters.
void fill_program_folder(const fs::path& folder) {
  const fs::path rdv = planning_folder(folder);
  fs::create_directories(rdv);
  // The planning's own alarm sound is part of the installation, not of the archive.
  fs::create_directories(folder / "sons");
  write_bytes(folder / "sons" / "piano.wav", "piano");
  write_bytes(rdv / "46030 09-30.gnd", write_planning(planning_sample()));
  Planning dentist;
  dentist.subject = "Dentiste";
  write_bytes(rdv / "46031 08-00.gnda", write_planning(dentist));
  write_bytes(rdv / "musique.cat", write_planning(dentist));
  write_bytes(folder / kFilterFile, write_filter({"loisirs", "musique"}));
  ASSERT_TRUE(SaveAlarmProfile(rdv / "douce.alm", alarm_sample()));
  const fs::path chimes = chime_folder(folder);
  fs::create_directories(chimes / "abbaye");
  for (const char* sound : {"bourdon.wav", "grave.ogg", "q.wav"}) {
    write_bytes(chimes / "abbaye" / sound, std::string(3000, sound[0]));
  }
  write_bytes(chimes / "Abbaye.car", write_chime_profile(chime_sample()));
}

struct BackupSession {
  int run_window(const std::function<int(BackupContext&)>& window) {
    LoadSpeechLibraries();
    WindowPrompts prompts;
    BackupContext context{runner.folder(), settings, interface_clock(), prompts};
    return window(context);
  }
  ScriptRun run(std::string_view script, const std::function<int(BackupContext&)>& window) {
    return runner.run(script, [&] { return run_window(window); });
  }
  ScriptRunner runner;
  Settings settings = settings_sample();
};

const auto kSave = [](BackupContext& c) {
  SaveBackup(c);
  return 0;
};
const auto kRestore = [](BackupContext& c) { return RestoreBackup(c) ? 0 : 1; };

TEST(BackupMenu, AnArchiveSavedAndRestoredInAFreshFolderGivesEverythingBack) {
  BackupSession saving;
  fill_program_folder(saving.runner.folder());
  ASSERT_TRUE(savesettings(saving.runner.folder(), saving.settings, kToday));
  TempFolder away;
  const std::string archive = (away.path() / "tout").string();
  const ScriptRun saved = saving.run("answer " + archive + "\n", kSave);
  EXPECT_TRUE(saved.has("save-file \"enregistrer\" -> " + in_quotes(archive))) << saved.text();
  ASSERT_TRUE(fs::exists(path_of(archive + ".agb"))) << "the archive takes its extension";

  BackupSession restoring;
  restoring.settings = default_settings(kToday, false);
  fs::create_directories(restoring.runner.folder() / "sons");
  write_bytes(restoring.runner.folder() / "sons" / "piano.wav", "piano");
  const ScriptRun restored = restoring.run("answer " + archive + ".agb\nanswer yes\n", kRestore);
  EXPECT_EQ(restored.code, 0) << restored.text();
  EXPECT_TRUE(restored.has(
      "question \"La fonction de récupération effacera toutes les données\\rrelatives au "
      "planifications, aux fichier de catégorie incluant les filtres\\rainsi que les paramètres "
      "de configuration. Voulez-vous continuer?\" -> yes"));
  // Plannings, templates, filter, alarms, chime profiles with their sounds, and the settings.
  EXPECT_EQ(contents_of(restoring.runner.folder()), contents_of(saving.runner.folder()));
}

TEST(BackupMenu, ADamagedArchiveOrANoChangesNothing) {
  BackupSession saving;
  fill_program_folder(saving.runner.folder());
  TempFolder away;
  const fs::path archive = away.path() / "tout.agb";
  saving.run("answer " + archive.string() + "\n", kSave);
  const std::string whole = read_bytes(archive);

  BackupSession restoring;
  Planning own;
  own.subject = "Le mien";
  fs::create_directories(planning_folder(restoring.runner.folder()));
  write_bytes(planning_folder(restoring.runner.folder()) / "46040 10-00.gnd", write_planning(own));
  const auto before = contents_of(restoring.runner.folder());

  const ScriptRun refused = restoring.run("answer " + archive.string() + "\nanswer no\n", kRestore);
  EXPECT_EQ(refused.code, 1);
  EXPECT_EQ(contents_of(restoring.runner.folder()), before);

  write_bytes(archive, whole.substr(0, whole.size() / 3));
  const ScriptRun damaged =
      restoring.run("answer " + archive.string() + "\nanswer yes\n", kRestore);
  EXPECT_EQ(damaged.code, 1);
  EXPECT_TRUE(damaged.has("notice \"Notice...\" " +
                          in_quotes("L'archive " + archive.string() +
                                    " est endommagée ou incomplète: rien n'a été récupéré.")))
      << damaged.text();
  EXPECT_EQ(contents_of(restoring.runner.folder()), before);

  const ScriptRun cancelled = restoring.run("answer cancel\n", kRestore);
  EXPECT_TRUE(cancelled.has("open-file \"récupérer\" -> cancel"));
  EXPECT_EQ(contents_of(restoring.runner.folder()), before);
}

TEST(BackupSettings, AtLeastOneBackupIsKeptAndNoMoreThanTheFileCounts) {
  BackupSession session;
  session.settings.automatic_backup = 0;
  const auto dialog = [](BackupContext& c) { return BackupSettingsDialog(c) ? 0 : 1; };
  const ScriptRun zero = session.run("wait 1s\ncheck 1\nfocus 3\ntype 0\nclick ok\n", dialog);
  EXPECT_EQ(zero.code, 0) << zero.text();
  EXPECT_TRUE(zero.has("window \"paramètres de sauvegarde\""));
  EXPECT_TRUE(zero.has("speak \"paramètres de sauvegarde\"")) << zero.text();
  EXPECT_TRUE(zero.has("focus 1 \"sauvegarde automatique\""));
  EXPECT_EQ(session.settings.automatic_backup, 1);
  EXPECT_EQ(session.settings.backups_kept, 1);
  Settings stored = default_settings(kToday, false);
  loadsettings(session.runner.folder(), stored);
  EXPECT_EQ(stored.backups_kept, 1);

  session.run("wait 1s\nfocus 3\ntype douze\nclick ok\n", dialog);
  EXPECT_EQ(session.settings.backups_kept, 1) << "letters are not typed";
  session.run("wait 1s\nfocus 3\ntype 99999999\nclick ok\n", dialog);
  EXPECT_EQ(session.settings.backups_kept, 32767);

  const ScriptRun escaped =
      session.run("wait 1s\nuncheck 1\nfocus 3\ntype 4\nkey escape\n", dialog);
  EXPECT_EQ(escaped.code, 1);
  EXPECT_EQ(session.settings.automatic_backup, 1);
  EXPECT_EQ(session.settings.backups_kept, 32767);
}

TEST(BackupSettings, ItsHelpPageIsShown) {
  BackupSession session;
  fs::create_directories(session.runner.folder() / "manual");
  fs::copy_file(running_program_folder() / "manual" / "backup.htm",
                session.runner.folder() / "manual" / "backup.htm");
  const ScriptRun r = session.run("wait 1s\nkey f1\nwait 1s\nclick 4\nwait 1s\nclick cancel\n",
                                  [](BackupContext& c) { return BackupSettingsDialog(c) ? 0 : 1; });
  EXPECT_EQ(r.count("help \"backup.htm\""), 2) << r.text();
}

}  // namespace
}  // namespace tavelo::testing
