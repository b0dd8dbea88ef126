// The alarm window, driven by scripts.
#include "alarms/ring_window.hpp"

#include <gtest/gtest.h>

#include "platform/services.hpp"
#include "tests/support/script_runner.hpp"

namespace tavelo::testing {
namespace {

TEST(RingWindow, ItsButtonOrEscapeStopsTheAlarm) {
  ScriptRunner runner;
  const AlarmProfile until_stopped{1, "", 880, 100, 200, 0, 0, 0};
  const auto ring = [&] {
    SoundPlayers players(sound_mixer(), interface_clock(), runner.folder());
    players.report = sound_report();
    RingInWindow(until_stopped, 1, players);
    return 7;
  };
  for (const char* stop : {"click 1", "key space", "key enter", "key alt+l", "key escape"}) {
    // Unless stopped, the alarm rings on until the script runs out, and the session ends with 0.
    const ScriptRun run = runner.run("wait 1s\n" + std::string(stop) + "\nwait 10s\n", ring);
    EXPECT_EQ(run.code, 7) << stop << "\n" << run.text();
    EXPECT_TRUE(run.has("window \"alarme\""));
    EXPECT_TRUE(run.has("focus 1 \"stop alarme\""));
    EXPECT_EQ(run.count("tone 880 100"), 4) << stop;
    EXPECT_EQ(run.lines[run.lines.size() - 2], "stop-sounds") << stop;
  }
}

}  // namespace
}  // namespace tavelo::testing
