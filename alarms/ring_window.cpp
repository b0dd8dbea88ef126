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
  const auto wait = [&stopped](std::chrono::milliseconds duration) {
    if (!stopped) stopped = WaitForInput(duration, stops_the_alarm).has_value();
  };
  RingAlarm(profile, pc_pulse_output, alarm_player(players, wait, [&stopped] { return stopped; }));
}

}  // namespace tavelo
