#include "shell/tray.hpp"

#include <algorithm>
#include <climits>

#include "access/dialog.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"
#include "access/window_prompts.hpp"
#include "planning/calendar.hpp"
#include "platform/services.hpp"
#include "shell/sleep_file.hpp"
#include "shell/tray_menu.hpp"

namespace tavelo {

namespace {

constexpr int kAgendaIcon = 1;
constexpr int kSleepEndTimer = 1;
constexpr int kSleepMinuteTimer = 2;

MinuteStamp stamp_now() {
  const Clock& clock = interface_clock();
  const LocalTime now = clock.now();
  return minute_stamp(todaynumber(clock), now.hour, now.minute);
}

// A dialog timer counts milliseconds in an int: a longer sleep is ended by the minute timer.
int sleep_end_interval(MinuteStamp minutes_left) {
  return static_cast<int>(std::min<MinuteStamp>(minutes_left * 60000, INT_MAX));
}

}  // namespace

void SetTrayIcon(int icon, const fs::path& image, std::string_view tooltip, bool speak) {
  window_system().set_tray_icon(icon, image.string(), tooltip);
  if (speak) Speak(tooltip, 0, 1);
}

void RemoveTrayIcon(int icon) {
  window_system().remove_tray_icon(icon);
}

void QueuedTrayIcon::show(std::string_view tooltip) {
  const std::lock_guard lock(mutex_);
  changes_.emplace_back(std::string(tooltip));
}

void QueuedTrayIcon::remove() {
  const std::lock_guard lock(mutex_);
  changes_.emplace_back(std::nullopt);
}

void QueuedTrayIcon::apply(int icon, const fs::path& image) {
  std::vector<std::optional<std::string>> changes;
  {
    const std::lock_guard lock(mutex_);
    changes.swap(changes_);
  }
  for (const std::optional<std::string>& tooltip : changes) {
    if (tooltip) {
      SetTrayIcon(icon, image, *tooltip, true);
    } else {
      RemoveTrayIcon(icon);
    }
  }
}

bool QueuedTrayIcon::changes_waiting() {
  const std::lock_guard lock(mutex_);
  return !changes_.empty();
}

void SleepMode(const fs::path& program_folder) {
  const std::optional<SleepRequest> request = read_sleep_request(program_folder);
  const fs::path image = program_folder / kTrayImage;
  MinuteStamp left = request ? sleep_left(*request, stamp_now()) : 0;
  if (left > 0) {
    SetTrayIcon(kAgendaIcon, image, sleep_tooltip(left), true);
    StartDialogTimer(kSleepEndTimer, sleep_end_interval(left), 0);
    StartDialogTimer(kSleepMinuteTimer, 60000, 1);
  }
  WindowPrompts prompts;
  while (left > 0) {
    const std::string event = WaitDialogEvent(-1);
    if (event == "tray1") {
      WaitWithEvents(500, 50, false);
      if (prompts.question("souhaitez-vous réveiller l'agenda?")) break;
    } else if (event == "timer2") {
      left = sleep_left(*request, stamp_now());
      if (left > 0) SetTrayIcon(kAgendaIcon, image, sleep_tooltip(left), false);
    } else if (event == "timer1") {
      break;
    }
  }
  RemoveTrayIcon(kAgendaIcon);
  StopDialogTimer(kSleepEndTimer);
  StopDialogTimer(kSleepMinuteTimer);
  remove_sleep_file(program_folder);
}

}  // namespace tavelo
