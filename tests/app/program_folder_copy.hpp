#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {

// Copies the program folder the build made (the program, the libraries it loads, its updater,
// its sounds, its manual and its marker file) into `folder`, over an earlier copy; the program's
// path in it.
std::filesystem::path copy_program_into(const std::filesystem::path& folder);

// Writes `count` plannings into the planning folder of `folder`, on consecutive days.
void add_plannings(const std::filesystem::path& folder, int count);

// Today on the machine's clock, which the program runs on outside scripted sessions.
int machine_today();

// The program is started the way a user starts it: from its own folder, which holds its data
// (two plannings).
class ProgramFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = copy_program_into(folder_.path());
    add_plannings(folder_.path(), 2);
  }

  TempFolder folder_;
  std::filesystem::path program_;
};

}  // namespace tavelo::testing
