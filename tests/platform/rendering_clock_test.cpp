// The simulated clock with work on other threads: the work sleeps until the session's time has
// come, and the session's time waits for the work.
#include "platform/sim/rendering_clock.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/sound_measure.hpp"

namespace tavelo {
namespace {

using namespace std::chrono_literals;

constexpr int kRate = 1000;  // one frame a millisecond

TEST(RenderingClock, WorkSoundsAtItsMomentsAndTheSessionWaitsForIt) {
  Mixer mixer(kRate);
  RenderingClock clock({2026, 1, 5, 12, 0, 0, 0}, mixer);
  const auto blip = std::make_shared<const Pcm>(Pcm{kRate, 1, std::vector<std::int16_t>(20, 1000)});
  std::vector<std::uint32_t> woke_at;
  // However slowly the thread starts, its first blip lands at 0 ms, the next ones 300 ms apart.
  std::jthread work([&, announced = ClockWork(clock)](std::stop_token stop) {
    std::this_thread::sleep_for(20ms);
    for (int i = 0; i < 3; ++i) {
      mixer.play(blip, {});
      clock.interruptible_sleep(300ms, stop);
      woke_at.push_back(clock.tick());
    }
  });
  clock.sleep(1000ms);
  work.join();
  EXPECT_EQ(testing::onset_milliseconds(clock.rendered(), kRate),
            (std::vector<double>{0, 300, 600}));
  EXPECT_EQ(woke_at, (std::vector<std::uint32_t>{300, 600, 900}));
  EXPECT_EQ(clock.tick(), 1000u);
  EXPECT_EQ(clock.now().second, 1);
}

TEST(RenderingClock, AStopWakesSleepingWorkAndTheDateWaitsForRunningWork) {
  Mixer mixer(kRate);
  RenderingClock clock({2026, 1, 5, 12, 0, 0, 0}, mixer);
  std::atomic<bool> stopped_early = false;
  std::jthread work([&, announced = ClockWork(clock)](std::stop_token stop) {
    clock.interruptible_sleep(std::chrono::hours(1), stop);
    stopped_early = clock.tick() == 0;
  });
  clock.set({2026, 1, 5, 13, 0, 0, 0});  // once the work sleeps
  work.request_stop();
  work.join();
  EXPECT_TRUE(stopped_early);
  EXPECT_EQ(clock.now().hour, 13);
  clock.sleep(2h);  // no work is left to wait for
  EXPECT_EQ(clock.now().hour, 15);
}

}  // namespace
}  // namespace tavelo
