#include <gtest/gtest.h>

#include "platform/sim/fixed_clock.hpp"
#include "platform/system_clock.hpp"

namespace tavelo {
namespace {

TEST(FixedClock, MovesOnlyWhenTold) {
  FixedClock clock({2024, 2, 28, 23, 59, 59, 500});
  EXPECT_EQ(clock.now().second, 59);
  clock.sleep(std::chrono::milliseconds(600));
  const LocalTime later = clock.now();
  EXPECT_EQ(later.month, 2);
  EXPECT_EQ(later.day, 29);
  EXPECT_EQ(later.hour, 0);
  EXPECT_EQ(later.millisecond, 100);
  EXPECT_EQ(clock.tick(), 600u);
  EXPECT_EQ(FixedClock({1970, 1, 2, 0, 0, 0, 0}).epochseconds(), 86400);
}

TEST(SystemClock, AgreesWithItself) {
  SystemClock clock;
  const LocalTime now = clock.now();
  EXPECT_GE(now.year, 2024);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GT(clock.epochseconds(), 1700000000);
}

}  // namespace
}  // namespace tavelo
