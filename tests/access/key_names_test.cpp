#include "access/key_names.hpp"

#include <gtest/gtest.h>

#include "tests/access/sim_session.hpp"

namespace tavelo::testing {
namespace {

void hold(SimWindowSystem& windows, std::initializer_list<int> keys) {
  for (const int key : keys) windows.press(key);
}

TEST(KeyNames, NamesFollowTheTableOrderWhateverThePressingOrder) {
  SimSession sim;
  OpenDialog("", 0, 0, 10, 40, "touches");
  EXPECT_EQ(ReadKeyName(false, false), "");
  hold(sim.windows, {'F', vk::control});
  EXPECT_EQ(ReadKeyName(false, false), "controlf");
  sim.windows.release('F');
  sim.windows.release(vk::control);
  hold(sim.windows, {vk::tab, vk::shift, vk::control});
  EXPECT_EQ(ReadKeyName(false, false), "controlshifttab");
  ReleaseStuckKeys();
  sim.windows.release(vk::tab);
  hold(sim.windows, {'J', vk::shift});
  EXPECT_EQ(ReadKeyName(false, false), "shiftj");
  ReleaseStuckKeys();
  hold(sim.windows, {vk::left_shift});
  EXPECT_EQ(ReadKeyName(true, false), "leftshift");
  EXPECT_EQ(ReadKeyName(false, false), "shift");
  ReleaseStuckKeys();
  hold(sim.windows, {vk::space});
  EXPECT_EQ(ReadKeyName(false, false), " ");
  hold(sim.windows, {1});
  EXPECT_EQ(ReadKeyName(false, false), "leftclick ");
  ReleaseStuckKeys();
  sim.windows.release(1);  // mouse buttons are not keys that get stuck
  hold(sim.windows, {123, 222, 192, 226, 20, 93, 105});
  EXPECT_EQ(ReadKeyName(false, false), "caplockcontexpad9f12'`quot");
  ReleaseStuckKeys();
  hold(sim.windows, {91, 92});  // the Windows keys have no name
  EXPECT_EQ(ReadKeyName(false, false), "");
  ReleaseStuckKeys();
}

TEST(KeyNames, AltIsLeftOutInSidesModeAndHidesKeysWhileItsSequenceRuns) {
  SimSession sim;
  OpenDialog("", 0, 0, 10, 40, "touches");
  sim.windows.press(vk::alt);
  sim.windows.press('X');
  dialog_state().alt_state = 0;
  EXPECT_EQ(ReadKeyName(true, false), "x");
  EXPECT_EQ(ReadKeyName(false, false), "altx");
  dialog_state().alt_state = 1;
  EXPECT_EQ(ReadKeyName(false, false), "");
  EXPECT_EQ(ReadKeyName(false, false), "");
  dialog_state().alt_state = 2;
  EXPECT_EQ(ReadKeyName(false, false), "");
  EXPECT_EQ(ReadKeyName(false, false), "altx");
  ReleaseStuckKeys();
}

TEST(KeyNames, RepeatFilterReportsOnceThenEvery30MsAfter300) {
  SimSession sim;
  OpenDialog("", 0, 0, 10, 40, "liste");
  EXPECT_EQ(ReadKeyName(false, true), "");
  sim.windows.press(vk::down);
  std::vector<std::uint32_t> reported;
  const std::uint32_t start = sim.clock.tick();
  for (int ms = 0; ms <= 1000; ms += 5) {
    if (ReadKeyName(false, true) == "down") reported.push_back(sim.clock.tick() - start);
    sim.clock.advance(std::chrono::milliseconds(5));
  }
  ASSERT_GE(reported.size(), 3u);
  EXPECT_EQ(reported[0], 0u);
  EXPECT_GT(reported[1], 300u);
  EXPECT_LE(reported[1], 310u);
  for (std::size_t i = 2; i < reported.size(); ++i) {
    EXPECT_GT(reported[i] - reported[i - 1], 30u);
    EXPECT_LE(reported[i] - reported[i - 1], 35u);
  }
  sim.windows.release(vk::down);
  EXPECT_EQ(ReadKeyName(false, true), "");
  sim.windows.press(vk::down);
  EXPECT_EQ(ReadKeyName(false, true), "down");  // a new press is reported at once
  sim.windows.release(vk::down);
}

TEST(KeyNames, NamesGiveTheirKeyCodes) {
  EXPECT_EQ(KeyCodeOfName("enter"), 13);
  EXPECT_EQ(KeyCodeOfName("f10"), 121);
  EXPECT_EQ(KeyCodeOfName("q"), 'Q');
  EXPECT_EQ(KeyCodeOfName("pad0"), 96);
  EXPECT_EQ(KeyCodeOfName("rightcontrol"), 163);
  EXPECT_EQ(KeyCodeOfName("nothing"), 0);
}

}  // namespace
}  // namespace tavelo::testing
