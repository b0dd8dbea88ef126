#include "alarms/ring_window.hpp"

#include "access/dialog.hpp"

namespace tavelo {

namespace {

constexpr int kStopButton = 1;

// What a wait gives is the key name followed by the event ("escapekey_pressed").
bool stops_the_alarm(const std::string& heard) {
  return heard == "btn" + std::to_string(kStopButton) || heard.rfind("escape", 0) == 0;
}

}  // namespace

void RingInWindow(const AlarmProfile& profile, int pc_pulse_output, SoundPlayers& players) {
  OpenDialog("", 0, 0, 6, 30, "alarme");
  AddButton(kStopButton, "stop a&larme", 2, 2, 20);
  AddMnemonics(kStopButton);
  FocusControl(kStopButton);
  bool stopped = false;
  SetAwaitedName("any");
  // Other events (focus, activation, keys that do not stop the alarm) end a wait early: wait
  // again until the time has really passed.
  Clock& clock = players.clock;
  const auto wait = [&stopped, &clock](std::chrono::milliseconds duration) {
    const std::uint32_t deadline = clock.tick() + static_cast<std::uint32_t>(duration.count());
    for (auto left = static_cast<std::int32_t>(deadline - clock.tick()); !stopped && left > 0;
         left = static_cast<std::int32_t>(deadline - clock.tick())) {
      stopped = stops_the_alarm(WaitWithEvents(left, 10, false));
    }
  };
  RingAlarm(profile, pc_pulse_output, alarm_player(players, wait, [&stopped] { return stopped; }));
  SetAwaitedName("");
}

}  // namespace tavelo
