#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/services.hpp"
#include "tests/platform/keyboard_user.hpp"

namespace tavelo::testing {

// The same key scripts on every window system. A script is one line a command, each followed by
// what the dialog layer reported, indented by two spaces:
//   EVENT [KEY NAME]   each event name, with the key name read just after it when there is one
//   speak "TEXT"       what the speech said
//   = N VALUE          a control whose value changed: its state, text, caret or marks
//   = focus N          the focus moved
// The commands are those of the scripted sessions that a user does at the keyboard (key, type,
// wait, focus, click) and, for the program: start-timer ID MS once|repeat, stop-timer ID, and
// await NAME (the user waits until the dialog reports NAME).
// Each backend must report exactly the script's lines; the instantiations name the backends of
// the build.
class Conformance : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Opens the dialog with `open`, runs the script's commands and compares what was reported
  // with the script's lines.
  void check(const std::function<void()>& open, std::string_view script);

 private:
  std::unique_ptr<KeyboardUser> user_;
  std::unique_ptr<InterfaceServices> services_;
};

}  // namespace tavelo::testing
