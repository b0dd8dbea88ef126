// Field chains and planning files: the operations every list, pass and import repeats.
// Target: 10,000 planning loads in under 0.5 s.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "planning/chain.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/sim/fixed_clock.hpp"

namespace {

using namespace tavelo;
namespace fs = std::filesystem;

void BM_ChainOn30Fields(benchmark::State& state) {
  std::string record;
  for (int i = 1; i <= 30; ++i) record += "champ numéro " + std::to_string(i) + (i < 30 ? "|" : "");
  int field = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(chain(record, "|", field % 30 + 1));
    ++field;
  }
}
BENCHMARK(BM_ChainOn30Fields);

// A program folder with 10,000 planning files, made once.
struct PlanningFolder {
  PlanningFolder() {
    std::string pattern = (fs::temp_directory_path() / "tavelo-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    program = pattern;
    fs::create_directories(planning_folder(program));
    settings = default_settings(45000, false);
    apply_zero_value_defaults(settings);
  }
  ~PlanningFolder() { fs::remove_all(program); }

  Planning sample(int i) const {
    Planning p;
    p.subject = "Rendez-vous numéro " + std::to_string(i);
    p.type = 1 + i % 78;
    p.note_kind = i % 3 == 0 ? 2 : 0;
    p.note = p.note_kind ? "Une note\r\nsur deux lignes" : "";
    p.category = "travail";
    return p;
  }

  fs::path program;
  Settings settings;
  FixedClock clock{{2024, 7, 1, 9, 0, 0, 0}};
};

constexpr int kPlannings = 10000;

void save_all(PlanningFolder& folder) {
  for (int i = 0; i < kPlannings; ++i) {
    Planning p = folder.sample(i);
    const std::string name = planning_base_name(45000 + i / 20, "09:30") + std::string(static_cast<std::size_t>(i % 20), 'a');
    saveplanning(planning_folder(folder.program) / name, p, folder.settings, folder.clock, false);
  }
}

void BM_Save10000Plannings(benchmark::State& state) {
  PlanningFolder folder;
  for (auto _ : state) save_all(folder);
  state.SetItemsProcessed(state.iterations() * kPlannings);
}
BENCHMARK(BM_Save10000Plannings)->Unit(benchmark::kMillisecond);

void BM_ListAndLoad10000Plannings(benchmark::State& state) {
  PlanningFolder folder;
  save_all(folder);
  const fs::path rdv = planning_folder(folder.program);
  for (auto _ : state) {
    for (const std::string& name : list_plannings(rdv)) {
      int readerror = 0;
      benchmark::DoNotOptimize(loadplanning(rdv / name, folder.program, folder.settings, readerror));
    }
  }
  state.SetItemsProcessed(state.iterations() * kPlannings);
}
BENCHMARK(BM_ListAndLoad10000Plannings)->Unit(benchmark::kMillisecond);

// The record alone, without the disk: what each save writes and each load reads.
void BM_WriteAndRead10000PlanningRecords(benchmark::State& state) {
  const PlanningFolder folder;
  std::vector<Planning> plannings;
  for (int i = 0; i < kPlannings; ++i) plannings.push_back(folder.sample(i));
  for (auto _ : state) {
    for (const Planning& p : plannings) {
      int readerror = 0;
      benchmark::DoNotOptimize(read_planning(write_planning(p), folder.settings, readerror));
    }
  }
  state.SetItemsProcessed(state.iterations() * kPlannings);
}
BENCHMARK(BM_WriteAndRead10000PlanningRecords)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
