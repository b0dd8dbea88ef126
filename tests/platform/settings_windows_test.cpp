// The settings windows on real GTK windows: a user in another process presses real keys, after a
// screen reader has listed every control through the accessibility bus (AT-SPI).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "access/dialog.hpp"
#include "access/interface_context.hpp"
#include "access/mail_dialog.hpp"
#include "access/notification_dialog.hpp"
#include "access/speech.hpp"
#include "alarms/alarm_dialog.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/system_clock.hpp"
#include "platform/portable/curl_network.hpp"
#include "platform/services.hpp"
#include "platform/sim/sim_speech.hpp"
#include "shell/management_dialog.hpp"
#include "tests/platform/desktop_user.hpp"
#include "tests/platform/gui_session.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

class SettingsWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    // A reader lists every window of the program: the previous test's goes first.
    if (dialog_state().window != 0) windows_.close_window(dialog_state().window);
    reset_interface();
    LoadSpeechLibraries();
    TestScreenReader(1, false);
    apply_zero_value_defaults(settings_);
  }

  // Runs the window while the user lists it and presses the keys; gives what the reader found.
  std::vector<testing::Named> with_user(const std::string& title, const std::string& keys,
                                        const std::function<void()>& window) {
    const std::vector<testing::Named> controls =
        testing::listed_while(title, folder_.path() / "controls.txt", keys, window);
    EXPECT_GE(controls.size(), 3U) << title << ": the controls are not on the bus";
    for (const testing::Named& c : controls)
      EXPECT_FALSE(c.name.empty()) << title << ": a " << c.role;
    expect_every_control_named(title);
    return controls;
  }

  // Every control the window made, labels aside, carries a name for the screen reader, whether or
  // not the reader lists it as a stop of the keys (a combo box's stop is a part of it).
  void expect_every_control_named(const std::string& title) {
    const int window = dialog_state().window;
    for (const int number : dialog_state().registered) {
      if (windows_.control_kind(window, number) == ControlKind::label) continue;
      EXPECT_FALSE(windows_.accessible_name(window, number).empty())
          << title << ": control " << number;
    }
  }

  std::string name_of(int number) {
    return windows_.accessible_name(dialog_state().window, number);
  }

  GtkWindowSystem& windows_ = testing::gui_windows();
  SystemClock clock_;
  Transcript transcript_{clock_};
  SimSpeech speech_{transcript_};
  InterfaceServices services_{windows_, speech_, clock_};
  testing::TempFolder folder_;
  Settings settings_ = default_settings(45000, false);
};

TEST_F(SettingsWindows, ManagementSettings) {
  const auto controls = with_user("gestion des planifications", "ctrl+End Return", [&] {
    ManagementSettingsDialog(settings_, folder_.path(), true);
  });
  EXPECT_EQ(name_of(2), "vérifier la mise à jour:");
  EXPECT_TRUE(has(controls, "text", "nombre de jour d'absence tolérée:"));
  EXPECT_TRUE(has(controls, "check box", "agenda en arrière-plan"));
  EXPECT_EQ(settings_.management_hour, 23);
  EXPECT_EQ(settings_.management_minute, 59);
  EXPECT_TRUE(file_exists(folder_.path() / kSettingsFile));
}

TEST_F(SettingsWindows, SpokenNotificationAndItsVoice) {
  const auto controls = with_user("notification verbale", "Down Return",
                                  [&] { NotificationDialog(settings_, folder_.path()); });
  EXPECT_TRUE(has(controls, "radio button", "notification désactivée"));
  EXPECT_TRUE(has(controls, "radio button", "notification par une revue d'écran"));
  EXPECT_TRUE(has(controls, "radio button", "notification par SAPI"));
  EXPECT_TRUE(has(controls, "text", "intervale en seconde:"));
  EXPECT_EQ(settings_.default_spoken.mode, 1);
  EXPECT_TRUE(file_exists(folder_.path() / kSettingsFile));

  std::string profile;
  const auto voice = with_user("configuration sapi", "Down Return",
                               [&] { profile = SapiConfigDialog("0_100_0_0", "réglage"); });
  EXPECT_EQ(name_of(9), "hauteur");
  EXPECT_EQ(profile.substr(0, 2), "1_") << profile;
}

TEST_F(SettingsWindows, MailNotification) {
  CurlNetwork network;
  MailServices services{network, std::nullopt};
  const auto controls = with_user("notification par courriel, ", "x Escape",
                                  [&] { MailDialog(settings_, folder_.path(), services); });
  EXPECT_TRUE(has(controls, "password text", "mot de passe:"));
  EXPECT_TRUE(has(controls, "check box", "connexion sécurisée SSL"));
  EXPECT_TRUE(settings_.default_mail.server.empty()) << "Escape kept nothing";
  EXPECT_FALSE(file_exists(folder_.path() / kSettingsFile));
}

TEST_F(SettingsWindows, DefaultAlarm) {
  Mixer mixer;
  SoundPlayers players(mixer, clock_, folder_.path());
  const auto controls = with_user("alarme par défaut", "Tab Tab Tab Tab Down Return", [&] {
    OpenAlarmDialog(kDefaultAlarmMode, settings_.default_alarm, settings_, folder_.path(), players);
  });
  EXPECT_EQ(name_of(1), "alarmes définies:");
  EXPECT_TRUE(has(controls, "text", "fréquence: (hz)"));
  EXPECT_TRUE(has(controls, "radio button", "alarme mixte"));
  EXPECT_EQ(settings_.default_alarm.kind, 2) << "the keys chose a sound file";
}

TEST_F(SettingsWindows, NightMode) {
  Mixer mixer;
  SoundPlayers players(mixer, clock_, folder_.path());
  const auto night = with_user("paramètre du mode nuit", "space Return", [&] {
    OpenAlarmDialog(kNightMode, settings_.default_alarm, settings_, folder_.path(), players);
  });
  EXPECT_TRUE(has(night, "check box", "activer le mode nuit"));
  EXPECT_EQ(name_of(3), "heure de fin:");
  EXPECT_EQ(settings_.night_mode_active, 1);
}

}  // namespace
}  // namespace tavelo
