#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "planning/records.hpp"

namespace tavelo {

// The spoken notification as its dialog shows it: the kind chosen (0 off, 1 through the screen
// reader, 2 through a voice), the voice profile and the texts of the fields.
struct NotificationForm {
  int kind = 0;
  std::string voice;
  std::string text;
  std::string repetitions;
  std::string interval;
};

NotificationForm notification_form(const SpokenNotification& spoken);
// Repetitions and interval as typed (non-numeric text reads as 0), within 0..255: the files keep
// each in one byte.
SpokenNotification notification_of_form(const NotificationForm& form);

// The caption of the screen-reader option: the reader that answered by its name, or any reader.
std::string reader_option_caption(std::string_view reader_name);

// Which channel "&test" says the text through. Without a running screen reader the kind cannot be
// chosen and the voice is used.
enum class TestChannel { none, reader, voice };
TestChannel test_channel(int kind, bool reader_running);

// What "&test" says the text with, and the wait between two sayings, which the user may cut
// short with "s&top".
struct NotificationTester {
  std::function<bool(const std::string& text)> say_with_voice;  // false when the voice fails
  std::function<void(const std::string& text)> say_with_reader;
  std::function<void()> stop_voice;
  std::function<bool(std::chrono::milliseconds)> wait;  // false when the user stopped the test
};

// Says the text once and once more per repetition, the interval apart, through the channel of
// the kind; a voice that fails gives way to the screen reader. Nothing is said, and nothing
// waited for, when the notification is off.
void test_notification(const SpokenNotification& spoken, bool reader_running,
                       const NotificationTester& tester);

// A voice profile: voice number (0: synthesis off, else the voice's place in the list from 1),
// volume 0..100, speed and pitch -10..10.
struct VoiceProfile {
  int voice = 0;
  int volume = 100;
  int speed = 0;
  int pitch = 0;
};

// Only a text of exactly four "_"-separated fields is a profile.
std::optional<VoiceProfile> parse_voice_profile(std::string_view text);
std::string voice_profile_text(const VoiceProfile& profile);

// A profile stores its voice number in one byte: the list offers no more voices than that.
inline constexpr int kMostVoices = 255;
inline constexpr const char* kSynthesisOff = "synthèse désactivée";

// "synthèse désactivée" and then the voices, as many as a profile can name.
std::vector<std::string> voice_list_items(const std::vector<std::string>& voice_names);

// The items chosen in the voice dialog: the voice list, and the volume, speed and pitch lists
// ("0".."100", "-10".."10").
struct VoiceForm {
  int voice = 0;
  int volume = 100;
  int speed = 10;
  int pitch = 10;
};

// Values beyond their list, or a voice the list no longer has, fall back within it.
VoiceForm voice_form(const VoiceProfile& profile, int voice_items);
std::vector<std::string> volume_items();
std::vector<std::string> step_items();  // speed and pitch
// The profile of the items chosen; an item left unchosen (-1) counts as the list's first.
std::string voice_profile_of_form(const VoiceForm& form);

}  // namespace tavelo
