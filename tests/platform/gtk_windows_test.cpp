// The chime options, the backup settings and the progress of an update on real GTK windows: a
// user in another process presses real keys, after a screen reader has listed every control of
// the window through the accessibility bus (AT-SPI).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "access/dialog.hpp"
#include "access/interface_context.hpp"
#include "access/speech.hpp"
#include "access/window_prompts.hpp"
#include "alarms/chime_options_window.hpp"
#include "alarms/chime_profile.hpp"
#include "maintenance/backup_window.hpp"
#include "maintenance/update_window.hpp"
#include "planning/settings.hpp"
#include "platform/linux/linux_shell.hpp"
#include "platform/system_clock.hpp"
#include "platform/mixer.hpp"
#include "platform/portable/curl_network.hpp"
#include "platform/services.hpp"
#include "platform/sim/sim_speech.hpp"
#include "tests/platform/desktop_user.hpp"
#include "tests/platform/gui_session.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

class GtkWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    // A reader lists every window of the program: the previous test's goes first.
    if (dialog_state().window != 0) windows_.close_window(dialog_state().window);
    reset_interface();
    LoadSpeechLibraries();
    settings_.background_mode = 1;
  }

  // Runs the window while the user lists it and presses the keys; gives what the reader found,
  // every control of it named.
  std::vector<testing::Named> with_user(const std::string& title, const std::string& keys,
                                        const std::function<void()>& window) {
    const std::vector<testing::Named> controls =
        testing::listed_while(title, folder_.path() / "controls.txt", keys, window);
    EXPECT_GE(controls.size(), 2U) << title << ": the controls are not on the bus";
    // A tab strip has no name of its own: a reader says its page tab that has the focus.
    for (const testing::Named& c : controls) {
      if (c.role != "page tab list") {
        EXPECT_FALSE(c.name.empty()) << title << ": a " << c.role;
      }
    }
    return controls;
  }

  bool chime_options(ChimeTab first) {
    ChimeOptionsContext context{folder_.path(), folder_.path(), settings_,
                                clock_,         prompts_,       {network_, std::nullopt}};
    return ChimeOptions(context, first);
  }

  GtkWindowSystem& windows_ = testing::gui_windows();
  SystemClock clock_;
  Transcript transcript_{clock_};
  SimSpeech speech_{transcript_};
  InterfaceServices services_{windows_, speech_, clock_};
  Mixer mixer_;  // the previews play into it, unheard
  SoundServices sound_{mixer_, {}};
  testing::TempFolder folder_;
  LinuxShell shell_{folder_.path()};
  ShellService shell_service_{shell_};
  WindowPrompts prompts_;
  CurlNetwork network_{testing::quick_network_options()};
  Settings settings_ = default_settings(46000, false);
};

// The keys a user turns the pages with and the Alt letters of the hidden buttons, each checked by
// what it left in the profile and the settings: Control+Shift+Tab twice goes back round to the
// hours, whose first file Alt+U deletes; F3 and Control+Tab four times come round to the quarters,
// whose volume Alt+V takes; F4 the hours, whose duration Alt+D takes; on the download page F5
// shows, Alt+V finds no volume; F2 the general page, whose box Space ticks. Return is OK, and
// the modified profile is saved over the old one.
TEST_F(GtkWindows, TheChimePagesTurnWithTheirKeysAndTheHiddenButtonsActOnThePageShown) {
  const fs::path chimes = chime_folder(folder_.path());
  fs::create_directories(chimes / "gong");
  for (const char* sound : {"quart.wav", "une.wav", "deux.wav"}) {
    testing::write_bytes(chimes / "gong" / sound, "RIFF");
  }
  ChimeProfile gong;
  gong.quarters = {{"gong\\quart.wav", 100, 0, 0}};
  gong.hours = {{"gong\\une.wav", 100, 0, 0}, {"gong\\deux.wav", 100, 0, 0}};
  testing::write_bytes(chimes / "gong.car", write_chime_profile(gong));
  settings_.chime_profile = "gong";

  const auto controls = with_user(
      "option des carillons",
      "ctrl+shift+Tab ctrl+shift+Tab alt+u Return F3 ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab alt+v 3 7 "
      "F4 alt+d 2 5 0 F5 alt+v 9 F2 space Return Return Return",
      [&] { EXPECT_TRUE(chime_options(ChimeTab::general)); });
  EXPECT_TRUE(has(controls, "page tab", "Général-F2"));
  EXPECT_TRUE(has(controls, "page tab", "téléchargement-f5"));
  EXPECT_TRUE(has(controls, "check box", "activer les carillons"));
  EXPECT_TRUE(has(controls, "combo box", "profile, ALT+P:"));
  EXPECT_TRUE(has(controls, "combo box", "heure de test:"));
  EXPECT_TRUE(has(controls, "push button", "jouer-F6"));
  EXPECT_TRUE(has(controls, "push button", "Aide-F1"));
  EXPECT_EQ(settings_.chimes_active, 1);
  EXPECT_EQ(settings_.chime_profile, "gong");
  ChimeProfile saved;
  ASSERT_EQ(read_chime_profile(testing::read_bytes(chimes / "gong.car"), saved), 0);
  ASSERT_EQ(saved.quarters.size(), 1u);
  EXPECT_EQ(saved.quarters[0].volume, 37);
  ASSERT_EQ(saved.hours.size(), 1u);
  EXPECT_EQ(saved.hours[0].file, "gong\\deux.wav");
  EXPECT_EQ(saved.hours[0].duration, 250);
  EXPECT_EQ(saved.hours[0].volume, 100);
}

TEST_F(GtkWindows, EveryControlOfTheOtherChimePagesHasAName) {
  const auto quarters =
      with_user("option des carillons", "Escape", [&] { chime_options(ChimeTab::quarters); });
  EXPECT_TRUE(has(quarters, "combo box", "sicle des quarts:"));
  EXPECT_TRUE(has(quarters, "check box", "heure combinée au quatrième quart"));
  EXPECT_TRUE(has(quarters, "table", "fichiers des quarts, ALT+Q"));
  EXPECT_TRUE(has(quarters, "text", "balance, ALT+B:"));
  EXPECT_TRUE(has(quarters, "push button", "appliquer ce volume à tous les quarts"));
  const auto hours =
      with_user("option des carillons", "Escape", [&] { chime_options(ChimeTab::hours); });
  EXPECT_TRUE(has(hours, "combo box", "sicle des heures:"));
  EXPECT_TRUE(has(hours, "combo box", "mode aléatoire:"));
  EXPECT_TRUE(has(hours, "text", "durée, ALT+D:"));
  const auto download =
      with_user("option des carillons", "Escape", [&] { chime_options(ChimeTab::download); });
  EXPECT_TRUE(has(download, "table", "carillons"));
  EXPECT_TRUE(has(download, "push button", "télécharger"));
}

TEST_F(GtkWindows, TheBackupSettingsAnswerTheKeys) {
  settings_.automatic_backup = 0;
  BackupContext context{folder_.path(), settings_, clock_, prompts_};
  const auto controls = with_user("paramètres de sauvegarde", "space Tab 7 Return",
                                  [&] { EXPECT_TRUE(BackupSettingsDialog(context)); });
  EXPECT_TRUE(has(controls, "check box", "sauvegarde automatique"));
  EXPECT_TRUE(has(controls, "text", "nombre de sauvegarde:"));
  EXPECT_TRUE(has(controls, "push button", "aide"));
  EXPECT_EQ(settings_.automatic_backup, 1);
  EXPECT_EQ(settings_.backups_kept, 7);
}

TEST_F(GtkWindows, TheProgressOfAnUpdateIsNamedAndEscapeCancelsIt) {
  testing::TempFolder root, work;
  const fs::path log = work.path() / "requests.log";
  const testing::LocalServer maker("http_server.py",
                                   {"--root", root.path().string(), "--log", log.string()});
  // Enough files that the window stays open while the reader lists it.
  UpdateIndex index{"version: 9.99", kReleaseLabel, {}};
  for (int i = 0; i < 600; ++i) {
    index.rows.push_back({"/page.htm", std::to_string(i), "page" + std::to_string(i) + ".htm"});
  }
  testing::write_bytes(root.path() / "page.htm", "page");
  testing::write_bytes(root.path() / "agmajidx5.txt", update_index_text(index));
  UpdateRun run{folder_.path(),
                folder_.path(),
                true,
                false,
                {},
                network_,
                "http://" + maker.address(),
                prompts_,
                {},
                {},
                {}};
  UpdateOutcome outcome;
  const auto controls =
      with_user("Tavelo téléchargement", "Escape", [&] { outcome = RunUpdateCheck(3, 1, run); });
  EXPECT_TRUE(has(controls, "text", "progression:"));
  EXPECT_TRUE(has(controls, "push button", "annuler"));
  EXPECT_FALSE(outcome.program_to_start);
  EXPECT_FALSE(fs::exists(folder_.path() / "maj"));
  EXPECT_FALSE(fs::exists(folder_.path() / "page0.htm"));
}

}  // namespace
}  // namespace tavelo
