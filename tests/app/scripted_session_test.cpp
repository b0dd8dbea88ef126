#include "app/scripted_session.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "access/dialog.hpp"
#include "access/window_prompts.hpp"
#include "platform/fault.hpp"
#include "platform/services.hpp"
#include "platform/sim/fixed_clock.hpp"
#include "platform/sim/sim_speech.hpp"
#include "platform/sim/sim_window_system.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {
namespace {

using Kind = ScriptCommand::Kind;

std::vector<ScriptCommand> parsed(std::string_view text) {
  auto result = parse_script(text);
  if (const auto* error = std::get_if<ScriptError>(&result)) {
    ADD_FAILURE() << error->message;
    return {};
  }
  return std::get<std::vector<ScriptCommand>>(result);
}

std::string error_of(std::string_view text) {
  auto result = parse_script(text);
  const auto* error = std::get_if<ScriptError>(&result);
  return error == nullptr ? std::string("(accepted)") : error->message;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(ScriptedSession, EveryCommandIsRead) {
  const auto c = parsed(
      "# début\n"
      "now 2026-12-07 10:15:30\n"
      "wait 250ms\n\n"
      "wait 2s   # deux secondes\n"
      "wait 3m\n"
      "wait 1h\n"
      "key control+shift+tab\n"
      "key control++\n"
      "key space\n"
      "type Salle #4, \"B\"\n"
      "focus 12\n"
      "click ok\n"
      "click cancel\n"
      "select 5 3\n"
      "select 5 \"mardi \\\"matin\\\"\"\n"
      "check 31\n"
      "uncheck 31\n"
      "menu 34\n"
      "tray 1\n"
      "close\n"
      "answer C:\\dossier\\fichier.txt\n");
  ASSERT_EQ(c.size(), 20u);
  EXPECT_EQ(c[0].kind, Kind::now);
  EXPECT_EQ(c[0].time.second, 30);
  EXPECT_EQ(c[0].line, 2);
  EXPECT_EQ(c[1].number, 250);
  EXPECT_EQ(c[2].number, 2000);
  EXPECT_EQ(c[2].line, 5);
  EXPECT_EQ(c[3].number, 180000);
  EXPECT_EQ(c[4].number, 3600000);
  EXPECT_EQ(c[5].keys, (std::vector<int>{17, 16, 9}));
  EXPECT_EQ(c[6].keys, (std::vector<int>{17, 107}));
  EXPECT_EQ(c[7].keys, (std::vector<int>{32}));
  EXPECT_EQ(c[8].text, "Salle #4, \"B\"");
  EXPECT_EQ(c[9].number, 12);
  EXPECT_EQ(c[10].number, 1036);
  EXPECT_EQ(c[11].number, 1035);
  EXPECT_EQ(c[12].kind, Kind::select_index);
  EXPECT_EQ(c[12].index, 3);
  EXPECT_EQ(c[13].kind, Kind::select_text);
  EXPECT_EQ(c[13].text, "mardi \"matin\"");
  EXPECT_EQ(c[14].kind, Kind::check);
  EXPECT_EQ(c[15].kind, Kind::uncheck);
  EXPECT_EQ(c[16].kind, Kind::menu);
  EXPECT_EQ(c[17].kind, Kind::tray);
  EXPECT_EQ(c[18].kind, Kind::close);
  EXPECT_EQ(c[19].text, "C:\\dossier\\fichier.txt");
}

TEST(ScriptedSession, MalformedLinesAreNamed) {
  EXPECT_EQ(error_of("close\nsauter 3\n"), "script, ligne 2 : commande inconnue « sauter »");
  EXPECT_EQ(error_of("wait 5"), "script, ligne 1 : durée attendue avec une unité ms, s, m ou h");
  EXPECT_EQ(error_of("wait 5y"), "script, ligne 1 : unité inconnue « y »");
  EXPECT_EQ(parsed("wait 168h")[0].number, 604800000);
  EXPECT_EQ(error_of("wait 169h"), "script, ligne 1 : attente plus longue qu'une semaine");
  EXPECT_EQ(error_of("wait 99999999999999999999ms"),
            "script, ligne 1 : nombre attendu entre 0 et 604800000, trouvé « "
            "99999999999999999999 »");
  EXPECT_EQ(error_of("key control+"), "script, ligne 1 : nom de touche attendu après « + »");
  EXPECT_EQ(error_of("key ctrl+f"), "script, ligne 1 : touche inconnue « ctrl »");
  EXPECT_EQ(error_of("key"), "script, ligne 1 : nom de touche attendu");
  EXPECT_EQ(error_of("now 2026-02-30 10:00"), "script, ligne 1 : cette date n'existe pas");
  EXPECT_EQ(error_of("now 2026-02-03"),
            "script, ligne 1 : date attendue sous la forme AAAA-MM-JJ HH:MM[:SS]");
  EXPECT_EQ(error_of("select 3 \"abc"), "script, ligne 1 : texte entre guillemets attendu");
  EXPECT_EQ(error_of("select 3 \"a\"b\""), "script, ligne 1 : guillemet non protégé dans le texte");
  EXPECT_EQ(error_of("focus x"),
            "script, ligne 1 : nombre attendu entre 0 et 1000000, trouvé « x »");
  EXPECT_EQ(error_of("click"), "script, ligne 1 : nombre attendu entre 0 et 1000000, trouvé «  »");
  EXPECT_EQ(error_of("type   "), "script, ligne 1 : texte à taper attendu");
  EXPECT_EQ(error_of("close now"), "script, ligne 1 : texte en trop « now »");
}

// A program that asks with every standard dialog.
int asking_program() {
  OpenDialog("d", 0, 0, 6, 30, "questions");
  WindowSystem& ws = window_system();
  const auto name = ws.input_box("Tavelo", "Entrez la date d'échéance.", "jj/mm/aaaa");
  const auto folder = ws.folder_dialog("dossier des fichiers journal");
  const auto file = ws.open_file_dialog("récupérer", "*.agb", "");
  const bool yes = ws.yes_no_box("Confirmation ??", "Voulez-vous continuer?");
  WindowPrompts prompts;
  prompts.notice("Tavelo\r" + name.value_or("?") + " " + folder.value_or("-") + " " +
                 file.value_or("-") + (yes ? " oui" : " non"));
  for (;;) {
    if (WaitDialogEvent(-1) == "btnok") return 4;
  }
}

TEST(ScriptedSession, StandardDialogsTakeAnswersInOrderOrTheirDefault) {
  TempFolder folder;
  const auto script = folder.path() / "questions.txt";
  write_bytes(script,
              "now 2026-03-01 08:00\n"
              "answer 12/03/2026\n"
              "answer cancel\n"
              "wait 1s\n"
              "click ok\n");
  std::ostringstream transcript;
  EXPECT_EQ(run_scripted_session(script.string(), &transcript, asking_program), 4);
  EXPECT_EQ(lines_of(transcript.str()),
            (std::vector<std::string>{
                "08:00:00.000 window \"questions\"", "08:00:00.000 focus 1036 \"ok\"",
                "08:00:00.000 input \"Tavelo\" \"Entrez la date d'échéance.\" -> \"12/03/2026\"",
                "08:00:00.000 folder \"dossier des fichiers journal\" -> cancel",
                "08:00:00.000 open-file \"récupérer\" -> cancel (default)",
                "08:00:00.000 question \"Voulez-vous continuer?\" -> no (default)",
                "08:00:00.000 notice \"Tavelo\" \"12/03/2026 - - non\"", "08:00:01.000 exit 4"}));
}

// A program that asks three times for sound files, several allowed, and tells what it got.
int choosing_program() {
  OpenDialog("d", 0, 0, 6, 30, "sons");
  WindowPrompts prompts;
  std::string told;
  for (int round = 0; round < 3; ++round) {
    const std::vector<std::string> files =
        prompts.open_files("ajouter des sons", "*.wav;*.ogg;*.mp3", "");
    told += std::to_string(files.size()) + (files.empty() ? "" : " " + files.back()) + ";";
  }
  prompts.notice("sons\r" + told);
  for (;;) {
    if (WaitDialogEvent(-1) == "btnok") return 5;
  }
}

TEST(ScriptedSession, OneAnswerChoosesSeveralFiles) {
  TempFolder folder;
  const auto script = folder.path() / "sons.txt";
  write_bytes(script,
              "now 2026-03-01 08:00\n"
              "answer /sons/cloche.wav|/sons/gong à midi.ogg\n"
              "answer cancel\n"
              "wait 1s\n"
              "click ok\n");
  std::ostringstream transcript;
  EXPECT_EQ(run_scripted_session(script.string(), &transcript, choosing_program), 5);
  EXPECT_EQ(
      lines_of(transcript.str()),
      (std::vector<std::string>{
          "08:00:00.000 window \"sons\"", "08:00:00.000 focus 1036 \"ok\"",
          "08:00:00.000 open-files \"ajouter des sons\" -> \"/sons/cloche.wav\" "
          "\"/sons/gong à midi.ogg\"",
          "08:00:00.000 open-files \"ajouter des sons\" -> cancel",
          "08:00:00.000 open-files \"ajouter des sons\" -> cancel (default)",
          "08:00:00.000 notice \"sons\" \"2 /sons/gong à midi.ogg;0;0;\"", "08:00:01.000 exit 5"}));
}

TEST(ScriptedSession, TheProgramEndsWhenTheScriptRunsOut) {
  TempFolder folder;
  const auto script = folder.path() / "attente.txt";
  write_bytes(script, "now 2026-03-01 08:00\nwait 90s\n");
  std::ostringstream transcript;
  const auto program = [] {
    OpenDialog("", 0, 0, 6, 30, "attente");
    for (;;) WaitDialogEvent(800);
    return 0;
  };
  EXPECT_EQ(run_scripted_session(script.string(), &transcript, program), 0);
  EXPECT_EQ(lines_of(transcript.str()).back(), "08:01:30.000 exit 0");
}

TEST(ScriptedSession, BadScriptsAreToldAndEndTheSession) {
  TempFolder folder;
  const auto program = [] {
    OpenDialog("", 0, 0, 6, 30, "fenêtre");
    for (;;) WaitDialogEvent(-1);
    return 0;
  };
  std::ostringstream transcript;
  EXPECT_EQ(run_scripted_session((folder.path() / "absent.txt").string(), &transcript, program), 2);
  write_bytes(folder.path() / "mauvais.txt", "wait 1s\nkey hyper\n");
  EXPECT_EQ(run_scripted_session((folder.path() / "mauvais.txt").string(), &transcript, program),
            2);
  write_bytes(folder.path() / "long.txt", std::string(2u << 20, '#'));
  EXPECT_EQ(run_scripted_session((folder.path() / "long.txt").string(), &transcript, program), 2);
  EXPECT_TRUE(transcript.str().empty());  // the program never started

  // A command that does not fit the window is told when it comes, and ends the session.
  write_bytes(folder.path() / "controle.txt", "wait 1s\nclick 77\n");
  EXPECT_EQ(run_scripted_session((folder.path() / "controle.txt").string(), &transcript, program),
            2);
  EXPECT_NE(transcript.str().find("script-error \"script, ligne 2 : aucun contrôle 77\""),
            std::string::npos);
}

TEST(ScriptedSession, TheDemoDialogTakesATypedSubject) {
  TempFolder folder;
  const auto script = folder.path() / "saisie.txt";
  const auto transcript = folder.path() / "transcript.txt";
  write_bytes(script,
              "# un sujet tapé puis confirmé\n"
              "now 2026-12-07 10:15\n"
              "wait 1s\n"
              "type Réunion \"budget\"\n"
              "key alt+r\n"
              "wait 200ms\n"
              "key enter\n");
  const std::string command = "TAVELO_UI='script:" + script.string() + "' TAVELO_TRANSCRIPT='" +
                              transcript.string() + "' " + TAVELO_SESSION_DEMO;
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(lines_of(read_bytes(transcript)),
            (std::vector<std::string>{
                "10:15:00.000 window \"essai de saisie\"", "10:15:00.000 focus 2 \"sujet\"",
                "10:15:00.000 silence", "10:15:00.360 speak \"essai de saisie\"",
                "10:15:01.260 notice \"Sujet enregistré\" \"Réunion \\\"budget\\\", avec rappel\"",
                "10:15:01.260 exit 0"}));
}

// A program with a check list 2 that tells the ticked items at each change, until OK.
int ticking_program() {
  OpenDialog("d", 0, 0, 8, 30, "jours");
  AddList(2, 1, 1, 20, 5, kCheckList);
  for (const char* day : {"lundi", "mardi", "mercredi"}) AddItem(2, day);
  for (;;) {
    const std::string event = WaitDialogEvent(-1);
    if (event == "btnok") return 5;
    if (event != "lst2") continue;
    std::string ticked;
    for (const int index : MarkedItems(2)) ticked += std::to_string(index);
    window_system().message_box("cochés", ticked);
  }
}

TEST(ScriptedSession, ItemsAreTickedByIndexOrText) {
  const auto c = parsed("mark 2 1\nunmark 2 \"mardi\"\n");
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].kind, Kind::mark);
  EXPECT_EQ(c[0].index, 1);
  EXPECT_FALSE(c[0].by_text);
  EXPECT_EQ(c[1].kind, Kind::unmark);
  EXPECT_EQ(c[1].text, "mardi");
  EXPECT_EQ(error_of("mark 2"), "script, ligne 1 : nombre attendu entre 0 et 1000000, trouvé «  »");

  TempFolder folder;
  const auto script = folder.path() / "jours.txt";
  write_bytes(script,
              "now 2026-03-01 08:00\n"
              "mark 2 2\n"
              "mark 2 \"lundi\"\n"
              "mark 2 0\n"  // already ticked: nothing happens
              "unmark 2 2\n"
              "click ok\n");
  std::ostringstream transcript;
  EXPECT_EQ(run_scripted_session(script.string(), &transcript, ticking_program), 5);
  std::vector<std::string> notices;
  for (const std::string& line : lines_of(transcript.str())) {
    if (line.find(" notice ") != std::string::npos) notices.push_back(line.substr(13));
  }
  EXPECT_EQ(notices,
            (std::vector<std::string>{"notice \"cochés\" \"2\"", "notice \"cochés\" \"02\"",
                                      "notice \"cochés\" \"0\""}));

  // Marking a control that keeps no marks is told and ends the session.
  write_bytes(script, "mark 1036 0\n");
  EXPECT_EQ(run_scripted_session(script.string(), &transcript, ticking_program), 2);
}

// A session runs on backends of its own: the ones installed before it come back when it ends,
// and nothing of it (its windows, its transcript) is left behind. Once the outer backends go too,
// nothing is installed.
TEST(ScriptedSession, TheBackendsInstalledBeforeComeBackAndNothingOfTheSessionStays) {
  TempFolder folder;
  write_bytes(folder.path() / "séance.txt", "wait 1s\n");
  std::ostringstream transcript;
  {
    FixedClock clock({2026, 3, 1, 8, 0, 0, 0});
    Transcript outer(clock);
    SimWindowSystem windows(clock, outer);
    SimSpeech speech(outer);
    Mixer mixer;
    std::vector<std::string> reported;
    const InterfaceServices services(windows, speech, clock);
    const SoundServices sound(mixer, [&reported](std::string_view what, std::string_view) {
      reported.emplace_back(what);
    });
    const int code = run_scripted_session((folder.path() / "séance.txt").string(), &transcript, [] {
      OpenDialog("", 0, 0, 6, 30, "séance");
      sound_report()("tone 440 10", "");
      return 6;
    });
    EXPECT_EQ(code, 6);
    EXPECT_EQ(&window_system(), &windows);
    EXPECT_EQ(&speech_service(), &speech);
    EXPECT_EQ(&interface_clock(), &clock);
    EXPECT_EQ(installed_sound_mixer(), &mixer);
    sound_report()("stop-sounds", "");
    EXPECT_EQ(reported, std::vector<std::string>{"stop-sounds"});
    EXPECT_EQ(dialog_state().window, 0);
    EXPECT_TRUE(outer.lines().empty());
  }
  EXPECT_NE(transcript.str().find(" tone 440 10\n"), std::string::npos) << transcript.str();
  EXPECT_THROW(window_system(), Fault);
  EXPECT_EQ(installed_sound_mixer(), nullptr);
  EXPECT_FALSE(sound_report());
}

}  // namespace
}  // namespace tavelo::testing
