#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/app/program_folder_copy.hpp"
#include "tests/support/programs.hpp"

namespace tavelo {
namespace {

using ::testing::HasSubstr;
using Program = testing::ProgramFolder;

TEST_F(Program, WithoutADisplayTheMessageGoesToTheTerminal) {
  const testing::ProgramRun run = testing::run_program({program_.string()}, {"DISPLAY"});
  EXPECT_EQ(run.status, 0);
  const std::string& printed = run.output;
  EXPECT_THAT(printed, ::testing::StartsWith("Tavelo\nTavelo, "));
  EXPECT_THAT(printed, HasSubstr("\nDossier du programme: " + folder_.path().string() +
                                 "\n2 planification(s).\n"));
}

}  // namespace
}  // namespace tavelo
