#include "shell/command_line.hpp"

#include <gtest/gtest.h>

namespace tavelo {
namespace {

TEST(CommandLine, SwitchesAreFoundInAnyCaseAndMayBeWrittenTogether) {
  const CommandLine c = parse_command_line({"/TEST/go", "/Cal"});
  EXPECT_EQ(c.switches, "/TEST/go /Cal ");
  EXPECT_TRUE(asks(c, "/test"));
  EXPECT_TRUE(asks(c, "/go"));
  EXPECT_TRUE(asks(c, "/cal"));
  EXPECT_FALSE(asks(c, "/bureau"));
  EXPECT_TRUE(parse_command_line({}).empty());
}

TEST(CommandLine, AnExchangeFileIsNeverTakenForASwitch) {
  const CommandLine c = parse_command_line({"/home/marie/test/cal/Partage.TXA"});
  EXPECT_EQ(c.exchange_file, "/home/marie/test/cal/Partage.TXA");
  EXPECT_FALSE(asks(c, "/test"));
  EXPECT_FALSE(asks(c, "/cal"));
  EXPECT_FALSE(c.empty());
}

TEST(CommandLine, ASleepLastsMinutesOrHoursAndMinutes) {
  EXPECT_EQ(sleep_request(parse_command_line({"/sleep(1:30)"})), "1:30");
  EXPECT_EQ(sleep_request(parse_command_line({"/SLEEP(90)", "/test"})), "90");
  EXPECT_EQ(sleep_request(parse_command_line({"/sleep(90"})), std::nullopt);
  EXPECT_EQ(sleep_minutes("90"), 90);
  EXPECT_EQ(sleep_minutes("1:30"), 90);
  EXPECT_EQ(sleep_minutes(" 0:05 "), 5);
  EXPECT_EQ(sleep_minutes("2:"), std::nullopt);
  for (const std::string_view bad :
       {"", "0", "0:00", "-5", "1:-5", "une heure", "1.5", "99999999999", "9000:00"}) {
    EXPECT_EQ(sleep_minutes(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace tavelo
