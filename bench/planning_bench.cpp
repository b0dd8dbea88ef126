// Field chains and planning files: the operations every list, pass and import repeats, over N
// plannings beside the floor of the disk measured in the same repetition.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "bench/bench_support.hpp"
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

struct PlanningFolder {
  PlanningFolder() {
    settings = default_settings(45000, false);
    apply_zero_value_defaults(settings);
  }

  static Planning sample(int i) {
    Planning p;
    p.subject = "Rendez-vous numéro " + std::to_string(i);
    p.type = 1 + i % 78;
    p.note_kind = i % 3 == 0 ? 2 : 0;
    p.note = p.note_kind ? "Une note\r\nsur deux lignes" : "";
    p.category = "travail";
    return p;
  }

  static std::string name(int i) {
    return planning_base_name(45000 + i / 20, "09:30") +
           std::string(static_cast<std::size_t>(i % 20), 'a');
  }

  fs::path rdv() const { return planning_folder(program.path); }

  bench::ProgramFolder program;
  Settings settings;
  FixedClock clock{{2024, 7, 1, 9, 0, 0, 0}};
};

bench::Files sample_files(int count) {
  bench::Files files;
  for (int i = 0; i < count; ++i) {
    files.emplace_back(PlanningFolder::name(i), write_planning(PlanningFolder::sample(i)));
  }
  return files;
}

// N plannings saved one by one, as the editor saves each: floor, creating their files.
void BM_SavePlannings(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  PlanningFolder folder;
  const bench::Files files = sample_files(count);
  for (auto _ : state) {
    bench::lay_out(folder.rdv(), {});
    const double floor = bench::create_floor_ms(files);
    const double synced_floor = bench::create_floor_ms(files, true);
    const double ms = bench::milliseconds([&] {
      for (int i = 0; i < count; ++i) {
        Planning p = PlanningFolder::sample(i);
        saveplanning(folder.rdv() / PlanningFolder::name(i), p, folder.settings, folder.clock,
                     false);
      }
    });
    bench::report(state, ms, floor, synced_floor);
    state.counters["x_atomic_save_floor"] = ms / bench::atomic_save_floor_ms(files);
  }
}

// Every planning listed and loaded, as the list and the calendar read them: floor, listing and
// reading their files.
void BM_ListAndLoadPlannings(benchmark::State& state) {
  PlanningFolder folder;
  bench::lay_out(folder.rdv(), sample_files(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    const double floor = bench::read_floor_ms(folder.rdv());
    const double ms = bench::milliseconds([&] {
      for (const std::string& name : list_plannings(folder.rdv())) {
        int readerror = 0;
        benchmark::DoNotOptimize(
            loadplanning(folder.rdv() / name, folder.program.path, folder.settings, readerror));
      }
    });
    bench::report(state, ms, floor);
  }
}

// The record alone, without the disk: what each save writes and each load reads.
void BM_WriteAndRead10000PlanningRecords(benchmark::State& state) {
  constexpr int kPlannings = 10000;
  const PlanningFolder folder;
  std::vector<Planning> plannings;
  for (int i = 0; i < kPlannings; ++i) plannings.push_back(PlanningFolder::sample(i));
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

int main(int argc, char** argv) {
  return bench::run_sized(argc, argv,
                          {{"BM_SavePlannings", BM_SavePlannings},
                           {"BM_ListAndLoadPlannings", BM_ListAndLoadPlannings}});
}
