// nextoccurrence per call, for each family of recurrence types.
#include <benchmark/benchmark.h>

#include "planning/calendar.hpp"
#include "planning/occurrences.hpp"

namespace {

using namespace tavelo;

// Every start day of six years in turn, so that month lengths and weekdays all come up.
void run_type(benchmark::State& state, int type, int anchor, const std::array<int, 7>& ticks) {
  const int first = daynumber(2025, 1, 1);
  const int span = daynumber(2031, 1, 1) - first;
  int offset = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(nextoccurrence(type, ticks, anchor, first + offset));
    if (++offset == span) offset = 0;
  }
}

constexpr std::array<int, 7> kMondayThursday = {0, 1, 0, 0, 1, 0, 0};

void BM_Next(benchmark::State& state, int type, int anchor, std::array<int, 7> ticks) {
  run_type(state, type, anchor, ticks);
}

BENCHMARK_CAPTURE(BM_Next, weekly, kTypeWeekly, kAnchorStart, kMondayThursday);
BENCHMARK_CAPTURE(BM_Next, weekly_unticked, kTypeWeekly, kAnchorStart, {});
BENCHMARK_CAPTURE(BM_Next, every_two_weeks, 3, kAnchorStart, {});
BENCHMARK_CAPTURE(BM_Next, every_22_days, 40, kAnchorStart, {});
BENCHMARK_CAPTURE(BM_Next, monthly, kTypeMonthly, kAnchorStart, {});
BENCHMARK_CAPTURE(BM_Next, semestrial, 10, kAnchorStart, {});
BENCHMARK_CAPTURE(BM_Next, month_week_from_start, 12, kAnchorStart, {});
BENCHMARK_CAPTURE(BM_Next, month_week_from_end, 12, kAnchorEnd, {});
BENCHMARK_CAPTURE(BM_Next, yearly, kTypeYearly, kAnchorStart, {});
BENCHMARK_CAPTURE(BM_Next, year_week_from_start, 17, kAnchorStart, {});
BENCHMARK_CAPTURE(BM_Next, year_week_from_end, 17, kAnchorEnd, {});
BENCHMARK_CAPTURE(BM_Next, one_off, kTypeOneOff, kAnchorStart, {});

}  // namespace

BENCHMARK_MAIN();
