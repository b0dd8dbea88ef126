// The update index: a server's index the size of the largest one read (1 MiB) is parsed in a
// few milliseconds, so that a long or hostile index never stalls the agenda.
// Backups of N plannings, each beside its floor measured in the same repetition: writing one
// (floor: listing and reading the plannings); restoring one into the agenda it was made of,
// unchanged since (floor: listing and reading the plannings, which it must compare); restoring
// one into an agenda where every namesake has changed (floor: creating the plannings' files).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_support.hpp"
#include "maintenance/backup_archive.hpp"
#include "maintenance/update_check.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"

namespace {

using namespace tavelo;
using namespace tavelo::bench;

std::string index_of(int rows) {
  std::string text = "version: 6.41\r\ndate: 2027-01-01\r\n" + std::to_string(rows) + "\r\n";
  for (int i = 0; i < rows; ++i) {
    const std::string n = std::to_string(i);
    text += "/fichiers/programme" + n + ".bin\r\n" + n + ".2\r\nmanual\\page" + n + ".htm\r\n";
  }
  return text;
}

void BM_ParseUpdateIndex(benchmark::State& state) {
  const std::string text = index_of(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(parse_update_index(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseUpdateIndex)->Arg(100)->Arg(15000)->Unit(benchmark::kMicrosecond);

Files planning_files(int count, const std::string& subject = "rendez-vous ") {
  Files files;
  for (int i = 0; i < count; ++i) {
    Planning p;
    p.subject = subject + std::to_string(i);
    p.type = 1 + i % 78;
    p.note_kind = i % 3 == 0 ? 2 : 0;
    p.note = p.note_kind ? "une note\r\nsur deux lignes" : "";
    p.category = i % 2 ? "travail" : "";
    files.emplace_back(planning_base_name(45000 + i / 96, time_text(i % 96 / 4, i % 4 * 15)),
                       write_planning(p));
  }
  return files;
}

struct BackupBench {
  explicit BackupBench(int count) : files(planning_files(count)) {
    settings = default_settings(45000, false);
    apply_zero_value_defaults(settings);
    lay_out(planning_folder(program.path), files);
  }
  Files files;
  ProgramFolder program;
  Settings settings;
  QuietPrompts prompts;
};

void BM_WriteBackup(benchmark::State& state) {
  BackupBench bench(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const double floor = read_floor_ms(planning_folder(bench.program.path));
    const double ms = milliseconds([&] {
      write_file_atomically(bench.program.path / "sauvegarde.agb",
                            writearchive(bench.program.path, bench.settings, false, bench.prompts));
    });
    report(state, ms, floor);
  }
}

// A restore over the plannings the backup was made of, unchanged or every one changed since.
void restore_backup(benchmark::State& state, bool changed) {
  BackupBench bench(static_cast<int>(state.range(0)));
  const fs::path archive = bench.program.path / "sauvegarde.agb";
  write_file_atomically(archive,
                        writearchive(bench.program.path, bench.settings, false, bench.prompts));
  const Files changes = planning_files(static_cast<int>(state.range(0)), "rendez-vous changé ");
  const fs::path rdv = planning_folder(bench.program.path);
  for (auto _ : state) {
    if (changed) lay_out(rdv, changes);
    const double floor = changed ? create_floor_ms(bench.files) : read_floor_ms(rdv);
    const double synced_floor = changed ? create_floor_ms(bench.files, true) : 0;
    Settings settings = bench.settings;
    bool restored = false;
    const double ms = milliseconds([&] {
      restored = readarchive(archive, bench.program.path, settings, 45000, bench.prompts);
    });
    if (!restored) state.SkipWithError("the backup was not restored");
    report(state, ms, floor, synced_floor);
    // Each changed namesake replaced.
    if (changed) report_removals(state, ms, floor, remove_floor_ms(bench.files));
  }
}

void BM_RestoreBackup(benchmark::State& state) {
  restore_backup(state, false);
}

void BM_RestoreBackupOverChanges(benchmark::State& state) {
  restore_backup(state, true);
}

}  // namespace

int main(int argc, char** argv) {
  return run_sized(argc, argv,
                   {{"BM_WriteBackup", BM_WriteBackup},
                    {"BM_RestoreBackup", BM_RestoreBackup},
                    {"BM_RestoreBackupOverChanges", BM_RestoreBackupOverChanges}});
}
