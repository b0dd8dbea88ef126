// The real-time agenda on an X server with a notification area (trayer): a real alarm rings on
// the real clock and stops when both Shift keys are pressed; the sleeping agenda wakes for a
// press of Control; the tray menu is opened with a click on the icon and used with real keys.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "access/interface_context.hpp"
#include "access/speech.hpp"
#include "planning/calendar.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/linux/linux_shell.hpp"
#include "platform/linux/system_clock.hpp"
#include "platform/services.hpp"
#include "platform/sim/sim_speech.hpp"
#include "shell/realtime_agenda.hpp"
#include "tests/platform/gui_session.hpp"
#include "tests/support/agenda_parts.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::ChildProcess;

constexpr std::uint32_t kPatienceMs = 60000;

std::unique_ptr<ChildProcess> xdotool(std::vector<std::string> words) {
  words.insert(words.begin(), "xdotool");
  return std::make_unique<ChildProcess>(words);
}

// What the user does, one step at a time, each time the agenda's loop looks for a hand-off
// (once a pass, on the loop's own thread).
struct User {
  User(GtkWindowSystem& w, Clock& c, fs::path journal)
      : windows(w), clock(c), journal_file(std::move(journal)) {}

  GtkWindowSystem& windows;
  Clock& clock;
  fs::path journal_file;
  std::atomic<bool> rang{false};
  std::atomic<bool> control_beeped{false};
  int step = 0;
  std::uint32_t started = clock.tick();
  std::uint32_t step_time = started;
  std::unique_ptr<ChildProcess> acting;

  bool after(std::uint32_t ms) const { return clock.tick() - step_time >= ms; }
  void next() {
    ++step;
    step_time = clock.tick();
  }

  // The agenda hands back without a word (hand-off code 21, with nothing to import) when the
  // user never finishes.
  int act() {
    if (clock.tick() - started > kPatienceMs) return 21;
    if (step == 0 && rang) {
      acting = xdotool({"keydown", "Shift_L", "keydown", "Shift_R", "sleep", "0.4", "keyup",
                        "Shift_R", "keyup", "Shift_L"});
      next();
    } else if (step == 1 && utf8_from_cp1252(testing::read_bytes(journal_file)).find("reçu") !=
                                std::string::npos) {
      next();
    } else if (step == 2) {
      // Once the agenda sleeps till the next minute, a short press of Control wakes it for the
      // sound control's beep.
      acting =
          xdotool({"sleep", "4", "keydown", "Control_L", "sleep", "0.3", "keyup", "Control_L"});
      next();
    } else if (step == 3 && control_beeped) {
      // The agenda sleeps again: the click and the menu's keys come in one go.
      if (const std::optional<PixelRect> icon = windows.tray_geometry(1)) {
        acting = xdotool({"sleep", "0.6", "mousemove", std::to_string(icon->x + icon->width / 2),
                          std::to_string(icon->y + icon->height / 2), "click", "1", "sleep", "1.5",
                          "key", "Down", "Return"});  // "Calendrier"
        next();
      }
    }
    return 0;
  }
};

TEST(RealtimeAgendaOnX, BothShiftKeysStopARealAlarmAndTheTrayMenuTakesRealKeys) {
  GtkWindowSystem& windows = testing::gui_windows();
  const ChildProcess area({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                           "--width", "120", "--height", "32"});
  SystemClock clock;
  Transcript transcript(clock);
  SimSpeech speech(transcript);
  const InterfaceServices services(windows, speech, clock);
  const FreshInterface fresh;
  LoadSpeechLibraries();

  testing::TempFolder folder;
  fs::create_directories(planning_folder(folder.path()));
  // A planning of this very minute, not too close to its end.
  LocalTime now = clock.now();
  if (now.second > 45) {
    clock.sleep(std::chrono::seconds(61 - now.second));
    now = clock.now();
  }
  const int today = todaynumber(clock);
  Planning dentist;
  dentist.subject = "Dentiste";
  dentist.journal = 1;
  const std::string file = planning_base_name(today, time_text(now.hour, now.minute));
  testing::write_bytes(planning_folder(folder.path()) / file, write_planning(dentist));

  Settings settings = default_settings(today, false);
  apply_zero_value_defaults(settings);
  settings.background_mode = 1;
  settings.journal_folder = (folder.path() / "journal").string();
  settings.management_hour = 23;
  settings.management_minute = 59;
  User user(windows, clock, folder.path() / "journal" / "bilan principal.txt");

  Mixer mixer;
  SoundPlayers alarms(mixer, clock, folder.path());
  alarms.report = [&user](std::string_view what, std::string_view) {
    if (what.starts_with("tone 1760")) user.rang = true;
    if (what.starts_with("tone 440")) user.control_beeped = true;
  };
  LinuxShell linux_shell(folder.path());
  const ShellService shell(linux_shell);
  testing::AgendaParts parts(folder.path(), settings);
  parts.read_tray_action = [&user] { return user.act(); };
  RealtimeServices agenda = parts.services(alarms);
  RealtimeRun run;

  EXPECT_EQ(RealtimeAgenda(agenda, run, ""), kCalendarEvent);
  EXPECT_EQ(user.step, 4) << "the user was stuck at step " << user.step;
  const std::string journal = utf8_from_cp1252(testing::read_bytes(user.journal_file));
  EXPECT_NE(journal.find("  sujet:  Dentiste\r\n  L'avertissement a été reçu par l'utilisateur."),
            std::string::npos)
      << journal;
  int readerror = 0;
  EXPECT_EQ(loadplanning(planning_folder(folder.path()) / file, folder.path(), settings, readerror)
                .alarm_state,
            1);
  EXPECT_EQ(settings.realtime_running, 0);
}

}  // namespace
}  // namespace tavelo
