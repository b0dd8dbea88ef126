// The real-time agenda, driven by scripts on the simulated clock, from a program folder of its
// own with its planning files.
#include "shell/realtime_agenda.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "access/speech.hpp"
#include "planning/calendar.hpp"
#include "planning/categories.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/linux/linux_shell.hpp"
#include "platform/services.hpp"
#include "platform/sim/sim_shell.hpp"
#include "shell/journal.hpp"
#include "shell/realtime_host.hpp"
#include "tests/support/agenda_parts.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/received_mail.hpp"
#include "tests/support/script_runner.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {
namespace {

const int kToday = daynumber(2026, 3, 6);  // a Friday
// A planning keeps its mail port in 16 bits; nothing listens on tcpmux's port here.
constexpr int kNothingListens = 1;

Planning planning(std::string subject) {
  Planning p;
  p.subject = std::move(subject);
  p.journal = 1;
  return p;
}

class RealtimeAgendaTest : public ::testing::Test {
 protected:
  RealtimeAgendaTest() {
    settings.background_mode = 1;
    settings.journal_folder = journal().string();
    fs::create_directories(rdv());
    run.management_done = true;  // the management pass of the day is done
  }

  fs::path folder() const { return runner.folder(); }
  fs::path rdv() const { return planning_folder(folder()); }
  fs::path journal() const { return folder() / "journal"; }
  std::string section(std::string_view name = "bilan principal") const {
    return utf8_from_cp1252(read_bytes(journal() / (std::string(name) + ".txt")));
  }

  std::string put(int hour, int minute, const Planning& p, int day = kToday) {
    const std::string name = planning_base_name(day, time_text(hour, minute));
    write_bytes(rdv() / name, write_planning(p));
    return name;
  }
  Planning read(const std::string& name) const {
    int readerror = 0;
    return loadplanning(rdv() / name, folder(), settings, readerror);
  }

  // Runs the agenda as the mode loop does, again after each management pass it hands over.
  ScriptRun agenda(std::string_view script, std::string command_line = {}) {
    fs::copy(TAVELO_MANUAL, folder() / "manual",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    return runner.run(script, [&] {
      LoadSpeechLibraries();
      SoundPlayers alarms(sound_mixer(), interface_clock(), folder());
      alarms.report = sound_report();
      Transcript shell_lines(interface_clock(), &shell_out);
      SimShell sim_shell(shell_lines, folder());
      LinuxShell linux_shell(folder());
      const ShellService shell(real_shell ? static_cast<Shell&>(linux_shell) : sim_shell);
      RealtimeServices services = parts.services(alarms);
      for (;;) {
        returned.push_back(RealtimeAgenda(services, run, command_line));
        if (returned.back() != kManagementEvent) return 0;
        command_line.clear();
      }
    });
  }

  ScriptRunner runner;
  Settings settings = [] {
    Settings s = default_settings(kToday, false);
    apply_zero_value_defaults(s);
    return s;
  }();
  RealtimeRun run;
  AgendaParts parts{runner.folder(), settings};
  std::vector<std::string> returned;
  std::ostringstream shell_out;
  bool real_shell = false;
};

TEST_F(RealtimeAgendaTest, ADuePlanningRingsOnTheFirstPassOfItsMinuteUntilBothShiftKeys) {
  const std::string file = put(14, 30, planning("Dentiste"));
  const ScriptRun run_ = agenda(
      "now 2026-03-06 14:29:50\n"
      "wait 15s\n"
      "key leftshift+rightshift\n"
      "wait 3s\n");
  const std::string first_tone = run_.first_time_of("tone 1760 50");
  ASSERT_FALSE(first_tone.empty()) << run_.text();
  EXPECT_GE(first_tone, "14:30:00.000");
  EXPECT_LT(first_tone, "14:30:00.900");  // one hidden pass at most
  EXPECT_TRUE(run_.has("hide \"Tavelo en temps réel\""));
  EXPECT_TRUE(run_.has("tray 1 \"Tavelo, version: 6.40 (CTRL actif)\""));
  EXPECT_TRUE(run_.has("stop-sounds"));
  // It rang for five seconds, then stopped for good.
  EXPECT_GT(run_.count("tone 1760 50"), 30);
  EXPECT_LT(run_.count("tone 1760 50"), 50);
  EXPECT_EQ(read(file).alarm_state, 1);
  EXPECT_EQ(section(),
            "6 Mars 2026, à 14:30.\r\n"
            "  sujet:  Dentiste\r\n"
            "  L'avertissement a été reçu par l'utilisateur.\r\n");
  EXPECT_EQ(settings.realtime_running, 1);
}

TEST_F(RealtimeAgendaTest, PlanningsMissedTodayRingOnceWithTheDefaultAlarm) {
  const std::string mail = put(9, 5, planning("Courrier"));
  const std::string dentist = put(14, 30, planning("Dentiste"));
  Planning quiet = planning("Sans journal");
  quiet.journal = 0;
  const std::string unjournaled = put(11, 0, quiet);
  settings.default_alarm.repetitions = 20;
  const ScriptRun run_ = agenda("now 2026-03-06 15:05:00\nwait 30s\n");
  EXPECT_EQ(run_.count("tone 1760 50"), 20) << run_.text();
  for (const std::string& file : {mail, dentist, unjournaled}) {
    EXPECT_EQ(read(file).alarm_state, 1) << file;
  }
  EXPECT_EQ(section(),
            "6 Mars 2026, à 15:05.\r\n"
            "  sujet:  signalement en retard...\r\n"
            "  9:5, Courrier\r\n"
            "  14:30, Dentiste\r\n"
            "  L'avertissement n'a pas été reçu par l'utilisateur.\r\n");
}

TEST_F(RealtimeAgendaTest, AFilteredCategoryStaysSilent) {
  Planning work = planning("Rapport");
  work.category = "travail";
  const std::string file = put(14, 30, work);
  write_bytes(folder() / kFilterFile, write_filter({"travail"}));
  const ScriptRun run_ = agenda("now 2026-03-06 14:29:00\nwait 3m\n");
  EXPECT_EQ(run_.count("tone 1760 50"), 0) << run_.text();
  EXPECT_EQ(read(file).alarm_state, 0);
  EXPECT_FALSE(fs::exists(journal() / "travail.txt"));
}

TEST_F(RealtimeAgendaTest, ASleepOfNinetyMinutesKeepsPlanningsForItsEnd) {
  put(15, 0, planning("Réunion"));
  settings.default_alarm.repetitions = 3;
  const ScriptRun run_ = agenda(
      "now 2026-03-06 14:30:00\n"
      "wait 2s\n"
      "tray 1\n"
      "wait 1s\n"
      "menu 4\n"
      "answer 1:30\n"
      "wait 61s\n"
      "tray 1\n"
      "answer no\n"
      "wait 100m\n");
  EXPECT_TRUE(
      run_.has("popup \"Agenda en temps réel\" \"Calendrier\" \"Désactiver le contrôle "
               "sonore\" \"Mode sommeil\" \"Vérifier la mise à jour\" \"Activer les "
               "carillons\" \"Quitter l'agenda\""))
      << run_.text();
  EXPECT_TRUE(run_.has("input \"Tavelo\" \"Mettre l'agenda en mode sommeil durant:\" -> \"1:30\""));
  EXPECT_TRUE(run_.has("tray 1 \"Tavelo en mode someil pour 01:30\""));
  EXPECT_EQ(run_.first_time_of("tray 1 \"Tavelo en mode someil pour 01:29\"").substr(0, 5),
            "14:31");
  EXPECT_TRUE(run_.has("question \"souhaitez-vous réveiller l'agenda?\" -> no"));
  // Asleep, the planning of 15:00 did not ring; awake at 16:00, the missed one rings.
  EXPECT_EQ(run_.first_time_of("tone 1760 50").substr(0, 5), "16:00");
  EXPECT_FALSE(fs::exists(folder() / "sleep"));
  EXPECT_NE(section().find("  15:0, Réunion"), std::string::npos) << run_.text();
}

TEST_F(RealtimeAgendaTest, TheForewarningBeepsUntilAKeyAndIsAcknowledgedByBothShiftKeys) {
  settings.forewarning_hour = 8;
  settings.forewarning_minute = 0;
  put(9, 0, planning("Réunion"));
  const ScriptRun run_ = agenda(
      "now 2026-03-06 07:59:50\n"
      "wait 13s\n"
      "key space\n"
      "wait 2s\n"
      "key leftshift+rightshift\n"
      "wait 1s\n");
  EXPECT_GT(run_.count("tone 880 50"), 20) << run_.text();  // 880 Hz every 50 ms from 08:00
  EXPECT_GT(run_.count("tone 1760 50"), 5);                 // then the default alarm
  EXPECT_TRUE(run_.has("show \"Tavelo en temps réel\""));
  EXPECT_EQ(settings.forewarning_given_today, 1);
  EXPECT_EQ(section(),
            "6 Mars 2026, à 08:00.\r\n"
            "  heure de préavis, détection en court...\r\n" +
                std::string(kJournalSeparator) + "\r\n" +
                "6 Mars 2026, à 08:00.\r\n"
                "  détection de la touche \"leftshiftrightshift\"\r\n"
                "  signalement de préavis...  initialement prévu à 08:00\r\n"
                "  L'avertissement a été reçu par l'utilisateur.\r\n");
}

TEST_F(RealtimeAgendaTest, ADuePlanningMailsCallsItsUrlAndSpeaksItsNotification) {
  TempFolder work;
  const fs::path mail_log = work.path() / "mails.log";
  const fs::path request_log = work.path() / "requests.log";
  const LocalServer smtp("smtp_server.py", {"--log", mail_log.string(), "--low-port"});
  const LocalServer http("http_server.py",
                         {"--root", work.path().string(), "--log", request_log.string()});
  Planning p = planning("Dentiste");
  p.mail.server = "127.0.0.1";
  p.mail.port = smtp.port();
  p.mail.recipients = "marie@exemple.fr,paul@exemple.fr";
  p.mail.reply_address = "agenda@exemple.fr";
  p.mail.subject = "rappel";
  p.mail_approved = 1;
  p.url_task_active = 1;
  p.url_task_link = "http://" + http.address() + "/tache.php?id=7";
  p.spoken.mode = 1;
  p.spoken.text = "Attention, ";
  p.spoken.repetitions = 1;
  p.spoken.interval = 5;
  const std::string file = put(14, 30, p);
  const ScriptRun run_ = agenda(
      "now 2026-03-06 14:29:58\nwait 12s\nkey leftshift+rightshift\n"
      "wait 1s\n");
  parts.finish_threads();
  EXPECT_EQ(run_.count("speak \"Attention, Dentiste\""), 2) << run_.text();
  EXPECT_EQ(run_.first_time_of("speak \"Attention, Dentiste\"").substr(0, 8), "14:30:00");
  EXPECT_TRUE(run_.has("tray 2 \"tâcheURL, Dentiste\""));
  EXPECT_EQ(read_bytes(request_log), "/tache.php?id=7\n");
  EXPECT_EQ(read(file).url_task_link, p.url_task_link);  // the planning keeps its task
  const std::vector<ReceivedMail> sent = received_mails(mail_log);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].from, "agenda@exemple.fr");
  EXPECT_EQ(sent[0].recipients, (std::vector<std::string>{"marie@exemple.fr", "paul@exemple.fr"}));
  EXPECT_NE(sent[0].text.find("Subject: rappel"), std::string::npos);
  EXPECT_NE(sent[0].text.find("6 Mars 2026, à 14:30, Dentiste."), std::string::npos);
}

TEST_F(RealtimeAgendaTest, ADeadServerNeverKeepsAPlanningFromRinging) {
  Planning p = planning("Dentiste");
  p.mail.server = "127.0.0.1";
  p.mail.port = kNothingListens;
  p.mail.recipients = "marie@exemple.fr";
  p.mail_approved = 1;
  p.url_task_active = 1;
  p.url_task_link = "http://127.0.0.1:" + std::to_string(kNothingListens) + "/tache.php";
  put(14, 30, p);
  const ScriptRun run_ = agenda("now 2026-03-06 14:29:58\nwait 4s\n");
  parts.finish_threads();
  EXPECT_EQ(run_.first_time_of("tone 1760 50").substr(0, 8), "14:30:00") << run_.text();
}

TEST_F(RealtimeAgendaTest, ACommandTaskRunsWithoutInterpreterOnceConfirmedAndIsPostponedOnANo) {
  real_shell = true;
  ASSERT_TRUE(runner.load_dialog_library(TAVELO_PARLON_LIBRARY));
  const fs::path made = folder() / "fait; rm -rf x";
  const fs::path literal = folder() / "$HOME";
  Planning backup = planning("Sauvegarde");
  backup.task.active = 1;
  backup.task.program = "/usr/bin/touch";
  backup.task.command_line = "\"" + made.string() + "\" " + literal.string();
  backup.task.confirmation = 1;
  const std::string backup_file = put(10, 0, backup);
  Planning refused = planning("Nettoyage");
  refused.task.active = 1;
  refused.task.program = "/usr/bin/touch";
  refused.task.command_line = (folder() / "refus").string();
  refused.task.confirmation = 1;
  refused.task.postponement_option = 1;
  refused.task.postponements = 1;
  refused.task.postponement_interval = 2;
  put(10, 1, refused);
  const ScriptRun run_ = agenda(
      "now 2026-03-06 09:59:55\n"
      "wait 10s\n"
      "key alt+o\n"  // the backup: yes
      "wait 61s\n"
      "key alt+n\n"  // the cleaning at 10:01: no, so it comes again at 10:03
      "wait 2m\n"
      "key alt+n\n"
      "wait 1m\n");
  const std::string backup_question =
      "ask \"|voulez-vous exécuter la tâche associée à la planification: \\rSauvegarde|30|&oui|"
      "&non\" -> 1";
  EXPECT_TRUE(run_.has(backup_question)) << run_.text();
  EXPECT_EQ(run_.count("ask \"|voulez-vous exécuter la tâche associée à la planification: "
                       "\\rNettoyage|30|&oui|&non\" -> 2"),
            2);
  EXPECT_TRUE(eventually([&] { return fs::exists(made) && fs::exists(literal); }, 5000));
  EXPECT_FALSE(fs::exists(folder() / "refus"));
  EXPECT_EQ(read(backup_file).task.state, 1);
  const std::string journal_text = section();
  EXPECT_NE(journal_text.find("6 Mars 2026, à 10:00.\r\n"
                              "  sujet: Sauvegarde\r\n"
                              "  tâche:  /usr/bin/touch\r\n"
                              "  commande:  " +
                              backup.task.command_line +
                              "\r\n"
                              "  Une confirmation a été demandée.\r\n"
                              "  La tâche a été exécutée.\r\n"),
            std::string::npos)
      << journal_text;
  EXPECT_NE(journal_text.find("  La demande a été refusée.\r\n  La tâche a été reportée\r\n"),
            std::string::npos);
  EXPECT_NE(journal_text.find("6 Mars 2026, à 10:03."), std::string::npos);
}

TEST_F(RealtimeAgendaTest, MidnightHandsTheManagementPassOverOnlyOnce) {
  settings.management_hour = 0;
  settings.management_minute = 0;
  put(9, 0, planning("Demain"), kToday + 1);
  const ScriptRun run_ = agenda("now 2026-03-06 23:59:50\nwait 3m\n");
  EXPECT_EQ(returned, (std::vector<std::string>{kManagementEvent})) << run_.text();
  EXPECT_EQ(settings.realtime_running, 1);
  EXPECT_EQ(run_.count("tray-remove 1"), 1);
}

TEST_F(RealtimeAgendaTest, AtNightTheSilentAlarmIsNotReceivedAndTheJournalSaysWhy) {
  settings.night_mode_active = 1;
  settings.night_mode = {22, 0, 7, 0};
  put(23, 0, planning("Tard"));
  const ScriptRun run_ = agenda("now 2026-03-06 22:59:58\nwait 5s\n");
  EXPECT_EQ(run_.count("tone 1760 50"), 0) << run_.text();
  EXPECT_EQ(section(),
            "6 Mars 2026, à 23:00.\r\n"
            "  sujet:  Tard\r\n"
            "  À cette heure, le mode nuit était actif.\r\n"
            "  L'avertissement n'a pas été reçu par l'utilisateur.\r\n");
}

TEST_F(RealtimeAgendaTest, TheWindowShowsTheListItsNoteAndItsFilterAndHandsBackToTheCalendar) {
  Planning noted = planning("Dentiste");
  noted.category = "santé";
  noted.note_kind = 2;
  noted.note = "prendre la carte";
  put(16, 0, noted);
  write_bytes(category_template_file(folder(), "santé"), write_planning(planning("")));
  settings.desktop_icon_option = 2;
  const ScriptRun run_ = agenda(
      "now 2026-03-06 14:00:00\n"
      "wait 1s\n"
      "click 5\n"
      "wait 1s\n"
      "key escape\n"
      "wait 1s\n"
      "click 1\n"
      "wait 1s\n"
      "focus 12\n"
      "key delete\n"
      "wait 1s\n"
      "key f1\n"
      "wait 1s\n"
      "click ok\n",
      "/bureau");
  EXPECT_EQ(run_.count("window \"Tavelo en temps réel\""), 2) << run_.text();
  EXPECT_TRUE(run_.has("window \"bloc-note de l'agenda\""));
  EXPECT_EQ(run_.count("speak \"Tavelo en temps réel. 16:00: (note) Dentiste\""), 3);
  EXPECT_TRUE(run_.has("speak \"Tavelo en temps réel. rien à signaler\""));
  EXPECT_FALSE(fs::exists(folder() / kFilterFile));  // added, then removed
  EXPECT_NE(shell_out.str().find("help \"réel.htm\""), std::string::npos);
  EXPECT_EQ(returned, (std::vector<std::string>{kCalendarEvent}));
  EXPECT_EQ(settings.realtime_running, 0);
  EXPECT_EQ(run_.count("tone 1760 50"), 0);
}

TEST_F(RealtimeAgendaTest, AKeyDuringItsWatchKeepsATaskFromRunning) {
  Planning backup = planning("Sauvegarde");
  backup.task.active = 1;
  backup.task.program = "/usr/bin/touch";
  backup.task.command_line = (folder() / "fait").string();
  backup.task.idle_start = 1;
  backup.task.idle_minutes = 2;
  const std::string file = put(10, 0, backup);
  const ScriptRun run_ = agenda(
      "now 2026-03-06 09:57:55\n"
      "wait 90s\n"  // the watch beeps from 09:58
      "key a\n"
      "wait 100s\n");
  const std::string first_beep = run_.first_time_of("tone 880 50");
  EXPECT_EQ(first_beep.substr(0, 5), "09:58") << run_.text();
  EXPECT_FALSE(fs::exists(folder() / "fait"));
  EXPECT_EQ(read(file).task.state, 0);
  EXPECT_EQ(section(),
            "6 Mars 2026, à 09:58.\r\n"
            "  sujet: Sauvegarde\r\n"
            "  mode de surveillance en prévision de cette tâche...\r\n" +
                std::string(kJournalSeparator) +
                "\r\n"
                "6 Mars 2026, à 09:59.\r\n"
                "  détection de la touche \"a\"\r\n" +
                std::string(kJournalSeparator) +
                "\r\n"
                "6 Mars 2026, à 10:00.\r\n"
                "  sujet: Sauvegarde\r\n"
                "  tâche:  /usr/bin/touch\r\n"
                "  commande:  " +
                backup.task.command_line +
                "\r\n"
                "  La tâche n'a pas été exécuté par-ce que le système a été solicité.\r\n");
}

TEST_F(RealtimeAgendaTest, WithoutANotificationAreaTheHiddenAgendaSaysSoOnceAndRunsOn) {
  put(14, 31, planning("Dentiste"));
  // Back to the calendar from the tray menu, then hidden again: said once.
  const ScriptRun run_ =
      runner.run("now 2026-03-06 14:30:00\nwait 70s\ntray 1\nmenu 2\nwait 10s\n", [&]() -> int {
        session_windows().set_notification_area(false);
        SoundPlayers alarms(sound_mixer(), interface_clock(), folder());
        alarms.report = sound_report();
        RealtimeServices services = parts.services(alarms);
        for (;;) returned.push_back(RealtimeAgenda(services, run, ""));
      });
  EXPECT_EQ(run_.count("notice \"Tavelo\" \"Ce bureau n'a pas de zone de notification : l'icône "
                       "de l'agenda ne peut pas y être affichée.\\rL'agenda continue en "
                       "arrière-plan. Démarrez Tavelo une seconde fois pour revenir au "
                       "calendrier.\""),
            1)
      << run_.text();
  EXPECT_EQ(run_.first_time_of("tone 1760 50").substr(0, 5), "14:31");
  EXPECT_EQ(returned, (std::vector<std::string>{kCalendarEvent}));
}

// The agenda as the program runs it, over the real management settings: without a journal
// folder, a yes to the journal's question opens them, the folder chosen there takes the entry,
// and the hidden agenda comes back and goes on.
TEST_F(RealtimeAgendaTest, WithoutAJournalFolderAYesOpensTheManagementSettings) {
  put(14, 30, planning("Dentiste"));
  put(14, 40, planning("Pharmacie"));
  const fs::path chosen = folder() / "mes journaux";
  fs::create_directories(chosen);
  AgendaRun agenda_run;
  agenda_run.program_folder = folder();
  agenda_run.settings = settings;
  agenda_run.settings.journal_folder.clear();
  agenda_run.settings.update_check = 1;  // no download: the agenda checks nothing
  agenda_run.writable = 1;
  agenda_run.management_done = true;
  const std::string choose_the_folder = "answer " + chosen.string() + "\nclick 21\nclick ok\n";
  const ScriptRun run_ = runner.run(
      "now 2026-03-06 14:29:50\n"
      "wait 15s\n"
      "answer yes\n"
      "key leftshift+rightshift\n"
      "wait 1s\n" +
          choose_the_folder +
          "wait 597s\n"
          "key leftshift+rightshift\n"
          "wait 1s\n",
      [&]() -> int {
        SoundPlayers alarms(sound_mixer(), interface_clock(), folder());
        RealtimeHost host(folder(), parts.prompts, alarms, *parts.network, std::nullopt);
        returned.push_back(RunRealtimeAgenda(host, agenda_run, {}));
        return 0;
      });
  EXPECT_EQ(run_.count("question \"tavelo\\rLa plannification suivante doit être journalisée dans "
                       "un dossier,\\rlequel n'ayant pas été spécifié dans la gestion des "
                       "plannifications du menu option.\\rVoulez-vous accéder aux options de "
                       "gestion?\" -> yes"),
            1)
      << run_.text();
  EXPECT_TRUE(run_.has("window \"gestion des planifications\""));
  // There was no journal folder to move the files of.
  EXPECT_EQ(run_.text().find("Souhaitez-vous déplacer"), std::string::npos);
  EXPECT_EQ(agenda_run.settings.journal_folder, chosen.string());
  Settings saved = default_settings(kToday, false);
  loadsettings(folder(), saved);
  EXPECT_EQ(saved.journal_folder, chosen.string());
  // Both alarms were acknowledged in the hidden agenda, the second in the folder now set.
  EXPECT_EQ(utf8_from_cp1252(read_bytes(chosen / "bilan principal.txt")),
            "6 Mars 2026, à 14:30.\r\n"
            "  sujet:  Dentiste\r\n"
            "  L'avertissement a été reçu par l'utilisateur.\r\n" +
                std::string(kJournalSeparator) +
                "\r\n"
                "6 Mars 2026, à 14:40.\r\n"
                "  sujet:  Pharmacie\r\n"
                "  L'avertissement a été reçu par l'utilisateur.\r\n");
  EXPECT_FALSE(run_.has("window \"Tavelo en temps réel\"")) << "it came back hidden";
}

}  // namespace
}  // namespace tavelo::testing
