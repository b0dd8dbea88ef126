// The window "option des carillons" in scripted sessions: its pages and keys, a profile set up
// from sounds, the questions of a modified profile, the previews on the chime's own thread as
// they sound, export and import, and the download page against a local web server.
#include "alarms/chime_options_window.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "access/window_prompts.hpp"
#include "alarms/chime_archive.hpp"
#include "planning/settings.hpp"
#include "platform/portable/curl_network.hpp"
#include "platform/services.hpp"
#include "platform/files.hpp"
#include "platform/sim/transcript.hpp"
#include "platform/sound_decoders.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/script_runner.hpp"
#include "tests/support/sound_measure.hpp"

namespace tavelo::testing {
namespace {

constexpr int kRate = 44100;

// A short tone of one pitch, as a sound file of the chimes would be.
void write_tone(const fs::path& file, double frequency, int milliseconds) {
  Pcm tone{kRate, 1, {}};
  for (int i = 0; i < kRate * milliseconds / 1000; ++i) {
    tone.samples.push_back(
        static_cast<std::int16_t>(8000 * std::sin(2 * std::numbers::pi * frequency * i / kRate)));
  }
  ASSERT_TRUE(write_wav(file, tone));
}

class ChimeOptionsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.background_mode = 1;
    fs::create_directories(chimes / "gong");
    write_tone(chimes / "gong" / "grave.wav", 880, 100);
    write_tone(chimes / "gong" / "quart.wav", 440, 100);
    write_tone(outside.path() / "cloche.wav", 660, 100);
    write_tone(outside.path() / "coup.wav", 550, 100);
  }

  // The gong profile: a quarter sound and an hour struck as many times as the hour, modulo 12.
  void save_gong(int start = 0, int end = 0) {
    ChimeProfile gong;
    gong.start = start;
    gong.end = end;
    gong.quarter_cycle = 3;
    gong.hour_strike_mode = 13;
    gong.quarters = {{"gong\\quart.wav", 100, 0, 300}};
    gong.hours = {{"gong\\grave.wav", 100, 0, 400}};
    write_bytes(chimes / "gong.car", write_chime_profile(gong));
  }

  ChimeProfile saved(const std::string& name) {
    ChimeProfile profile;
    EXPECT_EQ(read_chime_profile(read_bytes(chimes / (name + ".car")), profile), 0) << name;
    return profile;
  }

  ScriptRun run(std::string_view script, const fs::path& sound_out = {},
                ChimeTab first = ChimeTab::general) {
    return runner.run(
        script,
        [&] {
          WindowPrompts prompts;
          ChimeOptionsContext context{runner.folder(),   outside.path(), settings,
                                      interface_clock(), prompts,        {network, server}};
          return ChimeOptions(context, first) ? 0 : 1;
        },
        sound_out);
  }

  ScriptRunner runner;
  TempFolder outside;
  fs::path chimes = chime_folder(runner.folder());
  Settings settings = default_settings(45000, false);
  CurlNetwork network{quick_network_options()};
  std::optional<std::string> server;
};

TEST_F(ChimeOptionsWindow, TheBackgroundAgendaIsAskedForFirst) {
  settings.background_mode = 0;
  const ScriptRun refused = run("answer no\n");
  EXPECT_EQ(refused.code, 1);
  EXPECT_TRUE(refused.has(
      "question \"Pour utiliser les fonctions liées aux options des carillons, l'agenda doit "
      "fonctionner en arrière-plan.  Voulez-vous activer cette fonction?\" -> no"));
  EXPECT_FALSE(refused.has("window \"option des carillons\"")) << refused.text();
  EXPECT_EQ(settings.background_mode, 0);

  const ScriptRun accepted = run("answer yes\nwait 1s\nclick cancel\n");
  EXPECT_TRUE(accepted.has("window \"option des carillons\"")) << accepted.text();
  Settings stored = default_settings(45000, false);
  loadsettings(runner.folder(), stored);
  EXPECT_EQ(stored.background_mode, 1);
}

TEST_F(ChimeOptionsWindow, PagesTurnWithTheirKeysAndTheHiddenButtonsActOnThePageShown) {
  save_gong();
  settings.chime_profile = "gong";
  const ScriptRun r =
      run("wait 1s\nkey control+tab\nwait 1s\nkey f5\nwait 1s\nkey control+shift+tab\nwait 1s\n"
          "key alt+h\nwait 1s\nkey alt+v\nwait 1s\nanswer no\nkey alt+u\nwait 1s\n"
          "key f2\nwait 1s\nkey alt+p\nwait 1s\nkey alt+t\nwait 1s\nkey shift+tab\nwait 1s\n"
          "click cancel\n");
  EXPECT_EQ(r.code, 1) << r.text();
  const std::vector<std::string> expected = {
      "focus 101 \"activer les carillons\"",  // the general page opens on its first control
      "focus 202 \"sicle des quarts:\"",      // Control+Tab: the quarters
      "focus 402 \"carillons\"",              // F5: the download page
      "focus 302 \"sicle des heures:\"",      // Control+Shift+Tab: back to the hours
      "focus 306 \"fichiers des heures, ALT+H\"",
      "focus 314 \"volume, ALT+V:\"",
      "question \"Supprimer ce quart de la liste?\" -> no",
      "focus 101 \"activer les carillons\"",
      "focus 103 \"profile, ALT+P:\"",
      "focus 117 \"nouveau profile\"",  // Alt+T did nothing on the general page
      "focus 1035 \"annuler\"",
  };
  std::vector<std::string> seen;
  for (const std::string& line : r.lines) {
    if (line.starts_with("focus ") || line.starts_with("question ")) seen.push_back(line);
  }
  EXPECT_EQ(seen, expected) << r.text();
  EXPECT_EQ(r.count("window \"option des carillons\""), 5);
}

TEST_F(ChimeOptionsWindow, AProfileIsSetUpFromSoundsAndChosenWithOk) {
  const std::string cloche = (outside.path() / "cloche.wav").string();
  const std::string coup = (outside.path() / "coup.wav").string();
  const std::string grave = (chimes / "gong" / "grave.wav").string();
  const ScriptRun r =
      run("wait 1s\nclick 117\nfocus 103\nkey control+a\ntype maison\n"
          "select 109 88\nselect 111 28\n"  // 22:00 to 07:00
          "key f3\nselect 202 2\ncheck 204\nclick 207\nanswer " +
          cloche + "|" + coup +
          "\nwait 1s\nfocus 214\ntype 60\nfocus 216\ntype -20\nfocus 218\n"
          "type 500\nclick 219\n"
          "key f4\nselect 302 13\nselect 304 2\nclick 307\nanswer " +
          grave +
          "\nanswer no\nwait 1s\n"
          "key f2\nclick 104\nwait 1s\ncheck 101\nclick ok\n");
  EXPECT_EQ(r.code, 0) << r.text();
  EXPECT_TRUE(r.has("open-files \"importer un fichier de quart\" -> " + in_quotes(cloche) + " " +
                    in_quotes(coup)));
  EXPECT_TRUE(
      r.has("question \"Voulez-vous faire correspondre le sous-dossier gong au champ du "
            "profile?\" -> no"));
  EXPECT_TRUE(r.has("notice \"Notice...\" \"Le profile est enregistré.\""));
  const ChimeProfile maison = saved("maison");
  EXPECT_EQ(maison.start, 2200);
  EXPECT_EQ(maison.end, 700);
  EXPECT_EQ(maison.quarter_cycle, 2);
  EXPECT_EQ(maison.hour_with_fourth_quarter, 1);
  EXPECT_EQ(maison.hour_strike_mode, 13);
  EXPECT_EQ(maison.hour_random_mode, 2);
  ASSERT_EQ(maison.quarters.size(), 2u);
  EXPECT_EQ(maison.quarters[0].file, "maison\\cloche.wav");
  EXPECT_EQ(maison.quarters[0].volume, 60);
  EXPECT_EQ(maison.quarters[0].balance, -20);
  EXPECT_EQ(maison.quarters[0].duration, 500);
  EXPECT_EQ(maison.quarters[1].file, "maison\\coup.wav");
  EXPECT_EQ(maison.quarters[1].volume, 60) << "the volume was given to every quarter";
  EXPECT_EQ(maison.quarters[1].balance, 0);
  ASSERT_EQ(maison.hours.size(), 1u);
  EXPECT_EQ(maison.hours[0].file, "gong\\grave.wav") << "a sound of the chime folder stays there";
  EXPECT_EQ(read_bytes(chimes / "maison" / "coup.wav"), read_bytes(path_of(coup)));
  Settings stored = default_settings(45000, false);
  loadsettings(runner.folder(), stored);
  EXPECT_EQ(stored.chime_profile, "maison");
  EXPECT_EQ(stored.chimes_active, 1);
}

TEST_F(ChimeOptionsWindow, AModifiedProfileIsOfferedForSavingBeforeItIsLost) {
  save_gong();
  write_bytes(chimes / "coucou.car", write_chime_profile({}));
  settings.chime_profile = "gong";
  const ScriptRun r = run(
      // Another profile chosen: no keeps the file as it was.
      "wait 1s\nkey f3\nselect 202 1\nkey f2\nselect 103 \"coucou\"\nanswer no\nwait 1s\n"
      // A new profile: yes saves coucou first.
      "key f3\ncheck 203\nkey f2\nclick 117\nanswer yes\nanswer yes\nwait 1s\n"
      // An empty name keeps the user in the window; then Cancel without saving.
      "key f3\nselect 202 2\nkey f2\nfocus 103\nkey control+a\nkey delete\nclick cancel\n"
      "answer yes\nwait 1s\nclick cancel\nanswer no\n");
  EXPECT_EQ(r.code, 1) << r.text();
  EXPECT_EQ(saved("gong").quarter_cycle, 3);
  EXPECT_EQ(saved("coucou").quarter_random, 1);
  EXPECT_TRUE(r.has("question \"Voulez-vous enregistrer le profile modifié?\" -> no"));
  EXPECT_EQ(r.count("question \"Le profile courant a été modifié. Souhaitez-vous "
                    "l'enregistrer?\" -> yes"),
            2);
  EXPECT_TRUE(
      r.has("notice \"Notice...\" \"Le champ du profile est vide. Veuillez le "
            "remplir.\""));
  EXPECT_FALSE(fs::exists(chimes / ".car"));
}

TEST_F(ChimeOptionsWindow, TheTestPlayAndThePreviewsSoundOnTheChimesOwnThread) {
  save_gong(800, 2000);  // 03:00 lies outside: the test play chimes all the same
  settings.chime_profile = "gong";
  const fs::path sound = outside.path() / "session.wav";
  const ScriptRun r =
      run("wait 1s\nselect 113 \"03:00\"\nclick 114\nwait 3s\n"  // the quarter, then 3 strikes
          "key f4\nwait 1s\nkey f6\nwait 1s\n"                   // the hour file alone
          "key f2\nwait 1s\nclick 114\nwait 100ms\nkey f7\nwait 2s\n"  // stopped after the quarter
          "click cancel\n",
          sound);
  EXPECT_EQ(r.code, 1) << r.text();
  const std::string quarter = "ogg " + in_quotes((chimes / "gong" / "quart.wav").string());
  const std::string hour = "ogg " + in_quotes((chimes / "gong" / "grave.wav").string());
  EXPECT_EQ(r.count(quarter), 2) << r.text();
  EXPECT_EQ(r.count(hour), 4) << r.text();
  const auto rendered = decode_sound_file(sound);
  ASSERT_TRUE(rendered);
  const std::vector<double> onsets = onset_milliseconds(rendered->samples, rendered->rate);
  ASSERT_EQ(onsets.size(), 6u) << ::testing::PrintToString(onsets) << r.text();
  // The strikes follow the quarter by its duration, then each other by theirs.
  EXPECT_NEAR(onsets[1] - onsets[0], 300, 2);
  EXPECT_NEAR(onsets[2] - onsets[1], 400, 2);
  EXPECT_NEAR(onsets[3] - onsets[2], 400, 2);
  const auto slice = [&](double from_ms) {
    const auto first = static_cast<std::ptrdiff_t>(from_ms * kRate / 1000) * 2;
    return std::vector<std::int16_t>(rendered->samples.begin() + first,
                                     rendered->samples.begin() + first + 2 * kRate / 20);
  };
  EXPECT_NEAR(frequency_of(slice(onsets[0]), kRate), 440, 10);
  EXPECT_NEAR(frequency_of(slice(onsets[1]), kRate), 880, 10);
  EXPECT_NEAR(frequency_of(slice(onsets[4]), kRate), 880, 10);  // the preview
  EXPECT_NEAR(frequency_of(slice(onsets[5]), kRate), 440, 10);  // F7 came before the strikes
}

TEST_F(ChimeOptionsWindow, AProfileExportedDeletedAndImportedComesBackWithItsSounds) {
  save_gong();
  settings.chime_profile = "gong";
  const std::string archive = (outside.path() / "gong.crx").string();
  const ScriptRun r = run("wait 1s\nclick 106\nanswer " + archive +
                          "\nwait 1s\nclick 105\nanswer yes\nanswer yes\nwait 1s\n"
                          "click 107\nanswer " +
                          archive + "\nwait 1s\nclick ok\n");
  EXPECT_EQ(r.code, 0) << r.text();
  EXPECT_TRUE(r.has("save-file \"exportation d'un profile\" -> " + in_quotes(archive)));
  EXPECT_TRUE(r.has("notice \"Notice...\" \"l'exportation est terminée.\""));
  EXPECT_TRUE(r.has("notice \"Notice...\" \"Le profile est supprimé\""));
  EXPECT_TRUE(r.has("notice \"Notice...\" \"l'importation est terminée.\""));
  EXPECT_EQ(saved("gong").hours.size(), 1u);
  EXPECT_TRUE(fs::exists(chimes / "gong" / "grave.wav"));
  Settings stored = default_settings(45000, false);
  loadsettings(runner.folder(), stored);
  EXPECT_EQ(stored.chime_profile, "gong") << "the imported profile is the one chosen";
}

TEST_F(ChimeOptionsWindow, TheDownloadPageImportsTheProfilesChosenInTheCatalogue) {
  TempFolder root, work;
  const LocalServer maker("http_server.py", {"--root", root.path().string(), "--log",
                                             (work.path() / "requests.log").string()});
  server = "http://" + maker.address();
  write_bytes(root.path() / "carlist.txt", "Big Ben\r\nWestminster\r\nCoucou\r\nAbsent\r\n");
  for (const std::string name : {"Westminster", "Coucou"}) {
    ChimeProfile profile;
    profile.hours = {{name + "\\son.wav", 100, 0, 0}};
    write_bytes(root.path() / (name + ".crx"),
                write_archive({{name + ".car", write_chime_profile(profile)},
                               {name + "\\son.wav", read_bytes(chimes / "gong" / "grave.wav")}}));
  }
  const ScriptRun r =
      run("wait 1s\nclick 403\nclick 404\nwait 1s\nmark 402 \"Westminster\"\n"
          "mark 402 \"Coucou\"\nclick 403\nwait 1s\nunmark 402 \"Westminster\"\n"
          "unmark 402 \"Coucou\"\nmark 402 \"Absent\"\nclick 403\nwait 1s\nkey f2\n"
          "select 103 \"Westminster\"\n"
          "wait 1s\nclick ok\n",
          {}, ChimeTab::download);
  EXPECT_EQ(r.code, 0) << r.text();
  EXPECT_TRUE(r.has("notice \"Notice...\" \"rien a été téléchargé.\""));
  EXPECT_TRUE(r.has("notice \"Notice...\" \"le téléchargement est terminée.\""));
  EXPECT_TRUE(r.has("notice \"Notice...\" \"le serveur est inaccessible pour le moment.\""))
      << "Absent is not on the server";
  EXPECT_EQ(read_bytes(runner.folder() / "catalog.net"),
            "Big Ben\r\nWestminster\r\nCoucou\r\nAbsent\r\n");
  EXPECT_TRUE(fs::exists(chimes / "Westminster" / "son.wav"));
  EXPECT_TRUE(fs::exists(chimes / "Coucou.car"));
  EXPECT_FALSE(fs::exists(runner.folder() / "Coucou.crx")) << "the download is deleted";
  EXPECT_EQ(settings.chime_profile, "Westminster");
}

}  // namespace
}  // namespace tavelo::testing
