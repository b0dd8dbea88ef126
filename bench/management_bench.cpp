// The daily management pass over N plannings in a temporary program folder: 60 % one-off,
// 30 % recurring, 10 % nth weekday of the month, a third of them in the past, half of those
// journaled. Floor: listing and reading the N files, and creating the files the pass writes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_support.hpp"
#include "planning/calendar.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/sim/fixed_clock.hpp"
#include "shell/management.hpp"

namespace {

using namespace tavelo;

constexpr LocalTime kNow{2025, 1, 14, 10, 0, 0, 0};

using namespace tavelo::bench;

// The planning files, name and bytes, made once.
Files make_plannings(int count, int today) {
  std::mt19937 random(20250114);
  Files files;
  for (int i = 0; i < count; ++i) {
    Planning p;
    p.subject = "planification " + std::to_string(i);
    p.journal = i % 2;
    p.forewarning_days = static_cast<int>(random() % 6);
    if (i % 5 == 0) {
      p.note_kind = 2;
      p.note = "une note\r\nsur deux lignes";
    }
    const unsigned kind = static_cast<unsigned>(i) % 10;
    if (kind < 6) {
      p.type = kTypeOneOff;
    } else if (kind < 9) {
      static constexpr int kRecurring[] = {kTypeWeekly, 3, kTypeMonthly, 8, kTypeYearly, 20, 25};
      p.type = kRecurring[random() % 7];
      if (p.type == kTypeWeekly) p.weekday_ticks = {0, 1, 0, 1, 0, 1, 0};
    } else {
      p.type = kTypeMonthWeek1 + static_cast<int>(random() % 4);
      p.month_anchor = 1 + static_cast<int>(random() % 2);
    }
    // A third in the past (up to two months back), the rest over the coming year.
    const int day = i % 3 == 0 ? today - 1 - static_cast<int>(random() % 60)
                               : today + static_cast<int>(random() % 365);
    const std::string time =
        time_text(static_cast<int>(random() % 24), static_cast<int>(random() % 4) * 15);
    std::string name = planning_base_name(day, time);
    files.emplace_back(std::move(name), write_planning(p));
  }
  return files;
}

// The program folder as before a pass: these planning files and no journal yet. Names met twice
// take an "a", as the agenda gives them.
void populate(const fs::path& program_folder, const Files& files) {
  std::set<std::string> taken;
  Files named;
  for (const auto& [base, bytes] : files) {
    std::string name = base;
    while (!taken.insert(name).second) name += 'a';
    named.emplace_back(name, bytes);
  }
  std::error_code error;
  fs::remove_all(program_folder / "journal", error);
  lay_out(planning_folder(program_folder), named);
}

Settings settings_for(const fs::path& program_folder, int today) {
  Settings settings = default_settings(today, false);
  apply_zero_value_defaults(settings);
  settings.management_hour = 8;
  settings.last_active_day = today - 1;
  settings.journal_folder = (program_folder / "journal").string();
  return settings;
}

void BM_ManagementPass(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const int today = daynumber(kNow.year, kNow.month, kNow.day);
  const Files files = make_plannings(count, today);
  ProgramFolder folder;
  FixedClock clock(kNow);
  QuietPrompts prompts;
  Settings settings = settings_for(folder.path, today);
  for (auto _ : state) {
    populate(folder.path, files);
    const double read_floor = read_floor_ms(planning_folder(folder.path));
    ManagementReport outcome;
    const double ms = milliseconds([&] {
      outcome = run_management_pass({folder.path, settings, clock, prompts, {}});
    });
    const Files written(files.begin(), files.begin() + outcome.rescheduled);
    const double floor = read_floor + create_floor_ms(written);
    report(state, ms, floor, read_floor + create_floor_ms(written, true));
    // A passed planning's file goes, whether deleted or moved on to its next occurrence.
    const Files removed(files.begin(), files.begin() + outcome.deleted + outcome.rescheduled);
    report_removals(state, ms, floor, remove_floor_ms(removed));
    state.counters["deleted"] = outcome.deleted;
    state.counters["rescheduled"] = outcome.rescheduled;
    state.counters["journaled"] = outcome.journal_entries;
  }
}

// A planning ten years behind with a two-day step: every missed occurrence journaled.
void BM_TenYearsBehind(benchmark::State& state) {
  const int today = daynumber(kNow.year, kNow.month, kNow.day);
  ProgramFolder folder;
  FixedClock clock(kNow);
  QuietPrompts prompts;
  Settings settings = settings_for(folder.path, today);
  Planning p;
  p.subject = "arrosage";
  p.type = kTypeEveryTwoDays;
  p.journal = 1;
  const Files files = {{planning_base_name(today - 3653, "09:00"), write_planning(p)}};
  for (auto _ : state) {
    state.PauseTiming();
    populate(folder.path, files);
    state.ResumeTiming();
    benchmark::DoNotOptimize(run_management_pass({folder.path, settings, clock, prompts, {}}));
  }
}

BENCHMARK(BM_TenYearsBehind)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  return bench::run_sized(argc, argv, {{"BM_ManagementPass", BM_ManagementPass}});
}
