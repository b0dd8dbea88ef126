#include "platform/sim/fixed_clock.hpp"
#include "platform/sim/sim_speech.hpp"
#include "platform/sim/sim_window_system.hpp"
#include "tests/platform/keyboard_user.hpp"

namespace tavelo::testing {

namespace {

// The sim's simulated user; the window system's own lines go to a transcript of their own, so
// that the speech is heard alone as on the other backends.
class SimKeyboardUser final : public KeyboardUser {
 public:
  WindowSystem& windows() override { return windows_; }
  Speech& speech() override { return speech_; }
  Clock& clock() override { return clock_; }
  const Transcript& heard() const override { return heard_; }

  void press(int key) override { windows_.press(key); }
  void release(int key) override { windows_.release(key); }
  void type(std::string_view text) override { windows_.type_text(text); }
  void click(int control) override { windows_.click(control); }
  void focus(int control) override { windows_.user_focus(control); }
  bool caught_up() override {
    const std::optional<std::uint32_t> timer = windows_.next_timer_due();
    return !windows_.events_pending() && (!timer || *timer != clock_.tick());
  }

 private:
  FixedClock clock_{{2026, 12, 7, 9, 0, 0, 0}};
  Transcript shown_{clock_};
  Transcript heard_{clock_};
  SimWindowSystem windows_{clock_, shown_};
  SimSpeech speech_{heard_, kScriptReader};
};

}  // namespace

std::unique_ptr<KeyboardUser> sim_user() {
  return std::make_unique<SimKeyboardUser>();
}

}  // namespace tavelo::testing
