#include "alarms/ring_window.hpp"

#include "access/dialog.hpp"
#include "access/window.hpp"

namespace tavelo {

namespace {

constexpr int kStopButton = 1;

constexpr ControlSpec kRingControls[] = {
    {ControlKind::button, kStopButton, "stop a&larme", 2, 2, 20},
};

bool stops_the_alarm(const Input& input) {
  return input.event == "btn" + std::to_string(kStopButton) || input.key.starts_with("escape");
}

}  // namespace

void RingInWindow(const AlarmProfile& profile, int pc_pulse_output, SoundPlayers& players) {
  OpenDialog("", 0, 0, 6, 30, "alarme");
  AddControls(kRingControls);
  FocusControl(kStopButton);
  bool stopped = false;
  // The window answers the user until the time has passed or the alarm is stopped.
  Clock& clock = players.clock;
  const auto wait = [&stopped, &clock](std::chrono::milliseconds duration) {
    const std::uint32_t deadline = clock.tick() + static_cast<std::uint32_t>(duration.count());
    for (auto left = static_cast<std::int32_t>(deadline - clock.tick()); !stopped && left > 0;
         left = static_cast<std::int32_t>(deadline - clock.tick())) {
      stopped = stops_the_alarm(NextInput(left));
    }
  };
  RingAlarm(profile, pc_pulse_output, alarm_player(players, wait, [&stopped] { return stopped; }));
}

}  // namespace tavelo
