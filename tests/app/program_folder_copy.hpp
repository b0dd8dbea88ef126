#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {

// Copies the program and the libraries it loads from its folder into `folder`; the program's
// path in it.
std::filesystem::path copy_program_into(const std::filesystem::path& folder);

// Writes `count` plannings into the planning folder of `folder`, on consecutive days.
void add_plannings(const std::filesystem::path& folder, int count);

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
