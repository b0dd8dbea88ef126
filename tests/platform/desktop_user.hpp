#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.hpp"

namespace tavelo::testing {

// One focusable control as the screen reader found it: role and name.
struct Named {
  std::string role;
  std::string name;
};

// The controls a reader wrote into `listing`, one "role<TAB>name…" line each.
std::vector<Named> read_listing(const std::filesystem::path& listing);

// A user at the desktop, in another process: once the window of that title is ready, a screen
// reader lists its focusable controls into `listing`; then the user gives the window the keyboard
// and presses `keys` (xdotool key names). Should the window still be open a few seconds later,
// the user presses Escape, so that a key the window missed cannot hold the test.
std::unique_ptr<ChildProcess> user_at(const std::string& title,
                                      const std::filesystem::path& listing,
                                      const std::string& keys);

// Runs the window while a user at the desktop lists it and presses the keys (see `user_at`),
// then lets the user finish; gives what the reader found.
std::vector<Named> listed_while(const std::string& title, const std::filesystem::path& listing,
                                const std::string& keys, const std::function<void()>& window);

// Whether the reader found that control; a failure lists what it found.
::testing::AssertionResult has(const std::vector<Named>& controls, const std::string& role,
                               const std::string& name);

}  // namespace tavelo::testing
