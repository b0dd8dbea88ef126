// Network receive of 1,000 command files left in a local shared folder by another agenda: a
// third are newer copies of plannings already received, a tenth are deletions. The receiving
// agenda starts each round with 500 plannings of its own and the 300 earlier copies. The clock
// is simulated, so the 100 ms pause between files costs nothing here.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_support.hpp"
#include "exchange/receive.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/portable/curl_network.hpp"
#include "platform/sim/fixed_clock.hpp"

namespace {

using namespace tavelo;

using bench::ProgramFolder;
using bench::QuietPrompts;

using Files = std::vector<std::pair<std::string, std::string>>;

Planning shared_planning(int i, const std::string& unique_identifier) {
  Planning p;
  p.subject = "planification partagée " + std::to_string(i);
  p.note_kind = i % 4 == 0 ? 2 : 0;
  p.note = "une note\r\nsur deux lignes";
  p.unique_identifier = unique_identifier;
  p.sharing_identifiers = "paul\t";
  return p;
}

std::string name_of(int i) {
  return planning_base_name(45000 + i % 365, i % 2 ? "09:30" : "14:00") +
         std::string(static_cast<std::size_t>(i / 365), 'a');
}

struct Round {
  Files own;       // plannings of the receiving agenda before the round
  Files commands;  // command files in the shared folder
};

Round make_round() {
  Round round;
  for (int i = 0; i < 500; ++i) {
    Planning p;
    p.subject = "rendez-vous " + std::to_string(i);
    round.own.emplace_back(name_of(i + 1000), write_planning(p));
  }
  for (int i = 0; i < 1000; ++i) {
    const std::string unique = "marc_1700000000_" + std::to_string(i);
    const std::string name = name_of(i);
    if (i < 300) {
      round.own.emplace_back(name, write_planning(shared_planning(i, unique)));
    }
    const bool deletion = i % 10 == 9;
    round.commands.emplace_back(
        "cmd_" + unique + "_" + name,
        deletion ? std::string() : write_planning(shared_planning(i, unique)));
  }
  return round;
}

void write_all(const fs::path& folder, const Files& files) {
  std::error_code error;
  fs::remove_all(folder, error);
  fs::create_directories(folder);
  for (const auto& [name, bytes] : files) write_file_atomically(folder / name, bytes);
}

void BM_ReceiveThousandCommandFiles(benchmark::State& state) {
  const Round round = make_round();
  ProgramFolder program, shared;
  Settings settings = default_settings(45000, false);
  settings.own_identifier = "paul";
  settings.import_allowed = 1;
  SharingRow row;
  row.columns[0] = "marc";
  row.columns[1] = shared.path.string();
  settings.sharing_table = {row};
  FixedClock clock({2025, 1, 14, 10, 0, 0, 0});
  CurlNetwork network;
  QuietPrompts prompts;
  const ExchangeContext context{program.path, settings, clock, network, prompts};
  int received = 0;
  for (auto _ : state) {
    state.PauseTiming();
    write_all(planning_folder(program.path), round.own);
    write_all(shared.path, round.commands);
    std::error_code error;
    fs::remove(program.path / kReceivedIndexFile, error);
    state.ResumeTiming();
    received = ReceiveSharedPlannings(context, false, {});
  }
  if (received != 900) state.SkipWithError("not every planning arrived");
  state.counters["received"] = received;
}
BENCHMARK(BM_ReceiveThousandCommandFiles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
