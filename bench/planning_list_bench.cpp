// The planning list and the editor's save. Targets: the list of 10,000 plannings opened and
// sorted each way in under 100 ms, a search step in under 5 ms, a series of 500 occurrences
// saved in under 200 ms. The read of every planning file is printed beside, as the floor.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/bench_support.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_list.hpp"
#include "planning/planning_names.hpp"
#include "planning/series.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/sim/fixed_clock.hpp"

namespace {

using namespace tavelo;
namespace fs = std::filesystem;

constexpr int kPlannings = 10000;
constexpr int kFirstDay = 45000;

struct ListFolder {
  ListFolder() {
    settings.own_identifier = "moi";
    apply_zero_value_defaults(settings);
    const fs::path rdv = planning_folder(folder.path);
    fs::create_directories(rdv);
    for (int i = 0; i < kPlannings; ++i) {
      Planning p;
      p.subject =
          (i % 2 == 0 ? "Été numéro " : "dentiste numéro ") + std::to_string(kPlannings - i);
      p.category = i % 7 == 0 ? "travail" : " ";
      const std::string name = planning_base_name(kFirstDay + i % 700, "09:30") +
                               std::string(static_cast<std::size_t>(i / 700), 'a');
      write_file_atomically(rdv / name, write_planning(p));
    }
  }
  bench::ProgramFolder folder;
  Settings settings = default_settings(kFirstDay, false);
};

ListFolder& shared_folder() {
  static ListFolder folder;
  return folder;
}

void BM_ReadEveryPlanningFile(benchmark::State& state) {
  const fs::path rdv = planning_folder(shared_folder().folder.path);
  for (auto _ : state) {
    for (const std::string& name : list_plannings(rdv)) {
      benchmark::DoNotOptimize(read_file(rdv / name));
    }
  }
}
BENCHMARK(BM_ReadEveryPlanningFile)->Unit(benchmark::kMillisecond);

void BM_OpenTheListAndSortItEachWay(benchmark::State& state) {
  ListFolder& f = shared_folder();
  for (auto _ : state) {
    const std::vector<ListedPlanning> listed =
        read_listed_plannings(f.folder.path, f.settings, kAllPlannings);
    benchmark::DoNotOptimize(shown_plannings(listed, kChronological, ""));
    benchmark::DoNotOptimize(shown_plannings(listed, kAlphabetical, ""));
  }
}
BENCHMARK(BM_OpenTheListAndSortItEachWay)->Unit(benchmark::kMillisecond);

void BM_SearchStepThroughTheWholeList(benchmark::State& state) {
  ListFolder& f = shared_folder();
  std::vector<std::string> lines;
  for (const ListedPlanning& p : read_listed_plannings(f.folder.path, f.settings, kAllPlannings)) {
    lines.push_back(p.line);
  }
  for (auto _ : state) benchmark::DoNotOptimize(search_lines(lines, 0, "introuvable", true));
}
BENCHMARK(BM_SearchStepThroughTheWholeList)->Unit(benchmark::kMillisecond);

void BM_SaveASeriesOf500(benchmark::State& state) {
  bench::ProgramFolder folder;
  Settings settings = default_settings(kFirstDay, false);
  apply_zero_value_defaults(settings);
  FixedClock clock({2024, 7, 1, 9, 0, 0, 0});
  fs::create_directories(planning_folder(folder.path));
  const PlanningStore store{folder.path, settings, clock};
  for (auto _ : state) {
    state.PauseTiming();
    delete_series(folder.path, std::to_string(clock.epochseconds()));
    clock.advance(std::chrono::seconds(1));
    Planning p;
    p.subject = "marche";
    p.type = kTypeEveryTwoDays;
    p.number_of_times = 500;
    state.ResumeTiming();
    benchmark::DoNotOptimize(reproduce_series(store, p, kFirstDay, "07:00"));
  }
}
BENCHMARK(BM_SaveASeriesOf500)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
