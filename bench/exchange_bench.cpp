// Exchange work over N plannings, each beside its floor measured in the same repetition:
// - staging an exchange file of N plannings into "rdvimp" (floor: creating the N staged files);
// - importing it whole into an empty "rdv" (floor: creating the staged and the imported files,
//   and with the imported ones synced);
// - receiving 1,000 command files left in a shared folder by another agenda into an agenda of N
//   plannings, a third of them newer copies of plannings already there and a tenth deletions
//   (floor: listing and reading both folders, and creating the 900 received files); the clock is
//   simulated, so the 100 ms pause between files costs nothing here;
// - exporting the N plannings (floor: listing and reading them).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_support.hpp"
#include "exchange/exchange_file.hpp"
#include "exchange/import.hpp"
#include "exchange/receive.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/portable/curl_network.hpp"
#include "platform/sim/fixed_clock.hpp"

namespace {

using namespace tavelo;
using namespace tavelo::bench;

constexpr LocalTime kNow{2025, 1, 14, 10, 0, 0, 0};

// Distinct names: 96 quarter hours a day from day 45000 on.
std::string name_of(int i) {
  return planning_base_name(45000 + i / 96, time_text(i % 96 / 4, i % 4 * 15));
}

Planning sample(int i) {
  Planning p;
  p.subject = "planification partagée " + std::to_string(i);
  p.note_kind = i % 4 == 0 ? 2 : 0;
  p.note = p.note_kind ? "une note\r\nsur deux lignes" : "";
  p.category = i % 3 == 0 ? "travail" : "";
  return p;
}

Files planning_files(int count, int first = 0) {
  Files files;
  for (int i = first; i < first + count; ++i)
    files.emplace_back(name_of(i), write_planning(sample(i)));
  return files;
}

Settings bench_settings() {
  Settings settings = default_settings(45000, false);
  apply_zero_value_defaults(settings);
  return settings;
}

struct ImportBench {
  explicit ImportBench(int count) {
    ExchangeContent content;
    for (int i = 0; i < count; ++i) content.plannings.push_back({name_of(i), sample(i)});
    exchange_file = program.path / "échange.txa";
    create_files(program.path, {{exchange_file.filename().string(), write_exchange_file(content)}});
    staged_files = planning_files(count);
  }
  ProgramFolder program;
  fs::path exchange_file;
  Files staged_files;
  Settings settings = bench_settings();
  FixedClock clock{kNow};
  QuietPrompts prompts;
  const ImportContext context{program.path, settings, clock, prompts};
};

void BM_StageExchangeFile(benchmark::State& state) {
  ImportBench bench(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    lay_out(bench.program.path / kStagingFolder, {});
    std::size_t staged = 0;
    const double ms = milliseconds([&] {
      staged = stage_exchange_file(bench.context, bench.exchange_file)->plannings.size();
    });
    if (staged != bench.staged_files.size()) state.SkipWithError("not every planning was staged");
    report(state, ms, create_floor_ms(bench.staged_files));
  }
}

void BM_ImportExchangeFileWhole(benchmark::State& state) {
  ImportBench bench(static_cast<int>(state.range(0)));
  const auto all = [](const StagedImport& staged) {
    ImportChoice choice;
    for (const ExchangeEntry& entry : staged.plannings) choice.plannings.push_back(entry.name);
    return std::optional<ImportChoice>(choice);
  };
  const fs::path rdv = planning_folder(bench.program.path);
  for (auto _ : state) {
    lay_out(rdv, {});
    const double ms =
        milliseconds([&] { import_exchange_file(bench.context, bench.exchange_file, all); });
    if (list_plannings(rdv).size() != bench.staged_files.size()) {
      state.SkipWithError("not every planning was imported");
    }
    const double staging_floor = create_floor_ms(bench.staged_files);
    report(state, ms, staging_floor + create_floor_ms(bench.staged_files),
           staging_floor + create_floor_ms(bench.staged_files, true));
  }
}

Planning shared_planning(int i, const std::string& unique_identifier) {
  Planning p = sample(i);
  p.unique_identifier = unique_identifier;
  p.sharing_identifiers = "paul\t";
  return p;
}

// The receiving agenda's N plannings, 300 of them earlier copies, and the 1,000 command files.
struct Round {
  Files own;
  Files commands;
  Files received;  // what the round writes, for the floor
};

Round make_round(int plannings) {
  Round round = {planning_files(plannings - 300, 1000), {}, {}};
  for (int i = 0; i < 1000; ++i) {
    const std::string unique = "marc_1700000000_" + std::to_string(i);
    const std::string bytes = write_planning(shared_planning(i, unique));
    if (i < 300) round.own.emplace_back(name_of(i), bytes);
    const bool deletion = i % 10 == 9;
    round.commands.emplace_back("cmd_" + unique + "_" + name_of(i), deletion ? "" : bytes);
    if (!deletion) round.received.emplace_back(name_of(i), bytes);
  }
  return round;
}

void BM_ReceiveThousandCommandFiles(benchmark::State& state) {
  const Round round = make_round(static_cast<int>(state.range(0)));
  ProgramFolder program, shared;
  Settings settings = bench_settings();
  settings.own_identifier = "paul";
  settings.import_allowed = 1;
  SharingRow row;
  row.columns[0] = "marc";
  row.columns[1] = shared.path.string();
  settings.sharing_table = {row};
  FixedClock clock(kNow);
  CurlNetwork network;
  QuietPrompts prompts;
  const ExchangeContext context{program.path, settings, clock, network, prompts};
  const fs::path rdv = planning_folder(program.path);
  for (auto _ : state) {
    lay_out(rdv, round.own);
    lay_out(shared.path, round.commands);
    std::error_code error;
    fs::remove(program.path / kReceivedIndexFile, error);
    const double read_floor = read_floor_ms(rdv) + read_floor_ms(shared.path);
    const double floor = read_floor + create_floor_ms(round.received);
    const double synced_floor = read_floor + create_floor_ms(round.received, true);
    int received = 0;
    const double ms = milliseconds([&] { received = ReceiveSharedPlannings(context, false, {}); });
    if (received != 900) state.SkipWithError("not every planning arrived");
    report(state, ms, floor, synced_floor);
    // Every command file goes once done, and so does each earlier copy, replaced or deleted.
    Files removed = round.commands;
    removed.insert(removed.end(), round.own.end() - 300, round.own.end());
    report_removals(state, ms, floor, remove_floor_ms(removed));
  }
}

void BM_ExportEveryPlanning(benchmark::State& state) {
  const Files files = planning_files(static_cast<int>(state.range(0)));
  ProgramFolder program;
  const Settings settings = bench_settings();
  QuietPrompts prompts;
  const fs::path rdv = planning_folder(program.path);
  lay_out(rdv, files);
  ExportChoice choice;
  for (const auto& [name, bytes] : files) choice.plannings.push_back(name);
  for (auto _ : state) {
    const double floor = read_floor_ms(rdv);
    const double ms = milliseconds([&] {
      export_plannings(program.path, settings, choice, program.path / "export.txa", prompts);
    });
    report(state, ms, floor);
  }
}

}  // namespace

int main(int argc, char** argv) {
  return run_sized(argc, argv,
                   {{"BM_StageExchangeFile", BM_StageExchangeFile},
                    {"BM_ImportExchangeFileWhole", BM_ImportExchangeFileWhole},
                    {"BM_ReceiveThousandCommandFiles", BM_ReceiveThousandCommandFiles},
                    {"BM_ExportEveryPlanning", BM_ExportEveryPlanning}});
}
