// The daily management pass over 10,000 plannings in a temporary program folder: 60 % one-off,
// 30 % recurring, 10 % nth weekday of the month, a third of them in the past. Target: under 1 s.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
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

using bench::ProgramFolder;
using bench::QuietPrompts;

// The planning files, name and bytes, made once.
std::vector<std::pair<std::string, std::string>> make_plannings(int count, int today) {
  std::mt19937 random(20250114);
  std::vector<std::pair<std::string, std::string>> files;
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

// The program folder as before a pass: these planning files and no journal yet.
void populate(const fs::path& program_folder,
              const std::vector<std::pair<std::string, std::string>>& files) {
  const fs::path rdv = planning_folder(program_folder);
  std::error_code error;
  fs::remove_all(rdv, error);
  fs::remove_all(program_folder / "journal", error);
  fs::create_directories(rdv);
  for (const auto& [base, bytes] : files) {
    std::string name = base;
    while (fs::exists(rdv / name)) name += 'a';
    std::ofstream out(rdv / name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
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
  const auto files = make_plannings(count, today);
  ProgramFolder folder;
  FixedClock clock(kNow);
  QuietPrompts prompts;
  Settings settings = settings_for(folder.path, today);
  std::size_t report_size = 0;
  for (auto _ : state) {
    state.PauseTiming();
    populate(folder.path, files);
    state.ResumeTiming();
    const ManagementReport report =
        run_management_pass({folder.path, settings, clock, prompts, {}});
    report_size = report.text.size();
    state.counters["deleted"] = report.deleted;
    state.counters["rescheduled"] = report.rescheduled;
    state.counters["journaled"] = report.journal_entries;
  }
  state.counters["report_bytes"] = static_cast<double>(report_size);
}

BENCHMARK(BM_ManagementPass)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);

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
  const std::vector<std::pair<std::string, std::string>> files = {
      {planning_base_name(today - 3653, "09:00"), write_planning(p)}};
  for (auto _ : state) {
    state.PauseTiming();
    populate(folder.path, files);
    state.ResumeTiming();
    benchmark::DoNotOptimize(run_management_pass({folder.path, settings, clock, prompts, {}}));
  }
}

BENCHMARK(BM_TenYearsBehind)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
