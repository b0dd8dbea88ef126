#include "shell/sleep_file.hpp"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::TempFolder;
using testing::write_bytes;

TEST(SleepFile, TheSleepLastsFromItsStartAndIsToldInHoursAndMinutes) {
  TempFolder folder;
  EXPECT_FALSE(read_sleep_request(folder.path()));
  ASSERT_TRUE(write_sleep_file(folder.path(), {90, 1000}));
  const std::optional<SleepRequest> request = read_sleep_request(folder.path());
  ASSERT_TRUE(request);
  EXPECT_EQ(sleep_tooltip(sleep_left(*request, 1000)), "Tavelo en mode someil pour 01:30");
  EXPECT_EQ(sleep_tooltip(sleep_left(*request, 1001)), "Tavelo en mode someil pour 01:29");
  EXPECT_LE(sleep_left(*request, 1090), 0);
  // Written by the Windows program, or by hand: the lines may end either way.
  write_bytes(folder.path() / kSleepFileName, "45\n2000");
  EXPECT_EQ(read_sleep_request(folder.path())->minutes, 45);
  remove_sleep_file(folder.path());
  EXPECT_FALSE(read_sleep_request(folder.path()));
}

TEST(SleepFile, AFileThatIsNoSleepAsksForNone) {
  TempFolder folder;
  for (const char* bytes : {"", "abc\r\n12\r\n", "90\r\n", "-5\r\n10\r\n",
                            "99999999999999999999\r\n1\r\n", "600000\r\n1\r\n"}) {
    write_bytes(folder.path() / kSleepFileName, bytes);
    const std::optional<SleepRequest> request = read_sleep_request(folder.path());
    ASSERT_TRUE(request) << bytes;
    EXPECT_LE(sleep_left(*request, 0), 0) << bytes;
  }
}

TEST(SleepFile, TheUserTypesHoursAndMinutesOrMinutes) {
  EXPECT_EQ(typed_sleep_minutes("1:30"), 90);
  EXPECT_EQ(typed_sleep_minutes(" 90 "), 90);
  EXPECT_EQ(typed_sleep_minutes("0:05"), 5);
  for (const char* refused : {"", "0", "abc", "1:", ":30", "-1:00", "1:3a", "9999:00"}) {
    EXPECT_FALSE(typed_sleep_minutes(refused)) << refused;
  }
}

}  // namespace
}  // namespace tavelo
