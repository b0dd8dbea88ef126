#include "access/notification_settings.hpp"

#include <algorithm>

#include "planning/chain.hpp"
#include "planning/text.hpp"

namespace tavelo {

namespace {

constexpr int kStep = 10;  // speed and pitch run from -10 to 10

std::vector<std::string> numbers(int from, int to) {
  std::vector<std::string> items;
  for (int n = from; n <= to; ++n) items.push_back(std::to_string(n));
  return items;
}

}  // namespace

NotificationForm notification_form(const SpokenNotification& s) {
  return {s.mode, s.voice, s.text, std::to_string(s.repetitions), std::to_string(s.interval)};
}

SpokenNotification notification_of_form(const NotificationForm& form) {
  return {std::clamp(form.kind, 0, 2), form.voice, form.text,
          typed_number(form.repetitions, 0, 255), typed_number(form.interval, 0, 255)};
}

std::string reader_option_caption(std::string_view reader_name) {
  return "notification par " +
         (reader_name.empty() ? std::string("une revue d'écran") : std::string(reader_name));
}

TestChannel test_channel(int kind, bool reader_running) {
  if (!reader_running || kind == 2) return TestChannel::voice;
  return kind == 1 ? TestChannel::reader : TestChannel::none;
}

void test_notification(const SpokenNotification& spoken, bool reader_running,
                       const NotificationTester& tester) {
  const TestChannel channel = test_channel(spoken.mode, reader_running);
  if (channel == TestChannel::none) return;
  for (int saying = 0; saying <= spoken.repetitions; ++saying) {
    if (channel == TestChannel::reader || !tester.say_with_voice(spoken.text)) {
      tester.say_with_reader(spoken.text);
    }
    if (saying == spoken.repetitions) return;
    const bool waited = tester.wait(std::chrono::seconds(spoken.interval));
    tester.stop_voice();
    if (!waited) return;
  }
}

std::optional<VoiceProfile> parse_voice_profile(std::string_view text) {
  if (chaincount(text, "_") != 4) return std::nullopt;
  const auto field = [text](int n) {
    return static_cast<int>(
        std::clamp<std::int64_t>(leading_integer(chain(text, "_", n)), -1000, 1000));
  };
  return VoiceProfile{field(1), field(2), field(3), field(4)};
}

std::string voice_profile_text(const VoiceProfile& p) {
  return std::to_string(p.voice) + "_" + std::to_string(p.volume) + "_" + std::to_string(p.speed) +
         "_" + std::to_string(p.pitch);
}

std::vector<std::string> voice_list_items(const std::vector<std::string>& voice_names) {
  std::vector<std::string> items = {kSynthesisOff};
  const auto offered = std::min<std::size_t>(voice_names.size(), kMostVoices);
  items.insert(items.end(), voice_names.begin(),
               voice_names.begin() + static_cast<std::ptrdiff_t>(offered));
  return items;
}

VoiceForm voice_form(const VoiceProfile& p, int voice_items) {
  const int voice = p.voice >= 0 && p.voice < voice_items ? p.voice : 0;
  return {voice, std::clamp(p.volume, 0, 100), std::clamp(p.speed, -kStep, kStep) + kStep,
          std::clamp(p.pitch, -kStep, kStep) + kStep};
}

std::vector<std::string> volume_items() {
  return numbers(0, 100);
}

std::vector<std::string> step_items() {
  return numbers(-kStep, kStep);
}

std::string voice_profile_of_form(const VoiceForm& form) {
  return voice_profile_text({std::clamp(form.voice, 0, kMostVoices), std::clamp(form.volume, 0, 100),
                             std::clamp(form.speed, 0, 2 * kStep) - kStep,
                             std::clamp(form.pitch, 0, 2 * kStep) - kStep});
}

}  // namespace tavelo
