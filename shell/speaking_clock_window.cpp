#include "shell/speaking_clock_window.hpp"

#include "access/dialog.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"
#include "shell/speaking_clock.hpp"

namespace tavelo {

namespace {

constexpr int kTime = 2;

constexpr ControlSpec kClockControls[] = {
    {ControlKind::label, 1, "heure actuelle:", 1, 2},
    {ControlKind::text_field, kTime, "", 1, 20, 12, 2, kReadOnly},
};

void tick(SoundPlayers& players, const LocalTime& now) {
  SetControlText(kTime, clock_field_text(now));
  const ClockSecond second = clock_second(now);
  if (second.long_tone) {
    PlayTone(players, kLongToneFrequency, kLongToneLength, 1, kLongToneVolume);
    return;
  }
  PlayTone(players, kTickFrequency, kTickLength, 1, kTickVolume);
  if (second.announce) Speak(coming_minute_announcement(now), 0);
}

}  // namespace

void SpeakingClock(SoundPlayers& players) {
  OpenDialog("", 0, 0, 6, 36, "heure sonore");
  AddControls(kClockControls);
  AddCancelButton(0, 0);
  LocalTime shown = players.clock.now();
  SetControlText(kTime, clock_field_text(shown));
  FocusControl(kTime);
  Speak("heure sonore, " + spoken_time(shown.hour, shown.minute, shown.second), 0);
  for (;;) {
    const Input input = NextInput(50);
    if (input.event == "btncancel" || input.event == "winclose" || input.key == "escape") return;
    const LocalTime now = players.clock.now();
    if (now.second != shown.second || now.minute != shown.minute) {
      shown = now;
      tick(players, now);
    }
  }
}

}  // namespace tavelo
