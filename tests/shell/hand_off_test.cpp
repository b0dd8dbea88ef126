#include "shell/hand_off.hpp"

#include <gtest/gtest.h>

#include "platform/files.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::read_bytes;
using testing::TempFolder;
using testing::write_bytes;

TEST(HandOff, ACodeIsReadOnceAndNothingIsLeftBehind) {
  TempFolder folder;
  ASSERT_TRUE(WriteTrayAction(folder.path(), kShowCalendar));
  EXPECT_EQ(read_bytes(folder.path() / kHandOffFile), "17\r\n");
  EXPECT_FALSE(file_exists(folder.path() / kHandOffTemporary));

  EXPECT_EQ(ReadTrayAction(folder.path()), kShowCalendar);
  EXPECT_FALSE(file_exists(folder.path() / kHandOffFile));
  EXPECT_EQ(ReadTrayAction(folder.path()), kNoTrayAction);
}

TEST(HandOff, AFileThatHoldsNoCodeReadsAsNothingAndIsDeleted) {
  TempFolder folder;
  for (const std::string_view bytes :
       {std::string_view("bonjour\r\n"), std::string_view(""), std::string_view("-5"),
        std::string_view("99999999999999999999")}) {
    write_bytes(folder.path() / kHandOffFile, bytes);
    EXPECT_EQ(ReadTrayAction(folder.path()), kNoTrayAction) << bytes;
    EXPECT_FALSE(file_exists(folder.path() / kHandOffFile));
  }
}

TEST(HandOff, TheStarterWaitsFiveTimesHalfASecondThenTakesItsRequestBack) {
  TempFolder folder;
  std::chrono::milliseconds waited{0};
  const bool taken =
      hand_over(folder.path(), kEndAgenda, [&waited](std::chrono::milliseconds d) { waited += d; });
  EXPECT_FALSE(taken);
  EXPECT_EQ(waited, std::chrono::milliseconds(2500));
  EXPECT_FALSE(file_exists(folder.path() / kHandOffFile));
}

TEST(HandOff, TheStarterEndsAsSoonAsTheRunningAgendaTookTheRequest) {
  TempFolder folder;
  int checks = 0;
  int received = 0;
  const bool taken = hand_over(folder.path(), kShowCalendar, [&](std::chrono::milliseconds) {
    if (++checks == 2) received = ReadTrayAction(folder.path());
  });
  EXPECT_TRUE(taken);
  EXPECT_EQ(checks, 2);
  EXPECT_EQ(received, kShowCalendar);
}

TEST(HandOff, TheSleepFileGivesTheLengthThenTheStartStamp) {
  TempFolder folder;
  ASSERT_TRUE(write_sleep_request(folder.path(), 90, 46000LL * 1440 + 600));
  EXPECT_EQ(read_bytes(folder.path() / kSleepFile), "90\r\n66240600\r\n");
}

}  // namespace
}  // namespace tavelo
