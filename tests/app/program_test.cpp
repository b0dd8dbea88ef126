#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/sim/transcript.hpp"
#include "tests/app/program_folder_copy.hpp"
#include "tests/support/programs.hpp"

namespace tavelo {
namespace {

using ::testing::HasSubstr;

using Program = testing::ProgramFolder;

TEST_F(Program, AScriptedSessionShowsWhatTheFolderHoldsInAMessageBox) {
  const auto script = folder_.path() / "session.txt";
  const auto transcript = folder_.path() / "transcript.txt";
  testing::write_bytes(script, "now 2026-12-07 09:00\n");
  EXPECT_EQ(testing::run_program({program_.string()}, {"TAVELO_UI=script:" + script.string(),
                                                       "TAVELO_TRANSCRIPT=" + transcript.string()})
                .status,
            0);
  const std::string said = testing::read_bytes(transcript);
  EXPECT_THAT(said, HasSubstr("notice \"Tavelo\" " +
                              in_quotes("Tavelo, Lundi 7 Décembre 2026\rDossier du programme: " +
                                        folder_.path().string() + "\r2 planification(s).")));
  EXPECT_THAT(said, HasSubstr("exit 0"));
}
}  // namespace
}  // namespace tavelo
