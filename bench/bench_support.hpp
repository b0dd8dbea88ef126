#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "planning/prompts.hpp"

namespace tavelo::bench {

namespace fs = std::filesystem;

// Answers no to every question and cancels every input box, without a word.
class QuietPrompts final : public Prompts {
 public:
  void notice(std::string_view) override {}
  bool question(std::string_view) override { return false; }
  std::optional<std::string> input(std::string_view, std::string_view, std::string_view) override {
    return std::nullopt;
  }
};

// A temporary folder (under TMPDIR), removed with everything in it when the benchmark ends.
struct ProgramFolder {
  ProgramFolder() {
    std::string pattern = (fs::temp_directory_path() / "tavelo-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path = pattern;
  }
  ~ProgramFolder() {
    std::error_code error;
    fs::remove_all(path, error);
  }
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;
  fs::path path;
};

// Files by name and bytes.
using Files = std::vector<std::pair<std::string, std::string>>;

template <class Work>
double milliseconds(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// Plain creation of each file, nothing more: the setup of a benchmark, and the floor of writing.
// With `synced`, each file is synced to the disk and the folder once at the end, the least that
// the saves' safety costs.
inline void create_files(const fs::path& folder, const Files& files, bool synced = false) {
  fs::create_directories(folder);
  for (const auto& [name, bytes] : files) {
    const int fd = ::open((folder / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        (synced && ::fsync(fd) != 0)) {
      throw std::runtime_error("cannot create " + name);
    }
    ::close(fd);
  }
  if (!synced) return;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ::fsync(fd);
  ::close(fd);
}

// The folder emptied of everything, then holding these files.
inline void lay_out(const fs::path& folder, const Files& files) {
  std::error_code error;
  fs::remove_all(folder, error);
  create_files(folder, files);
}

// The floor of writing: creating each file once, in a new folder of the same file system.
inline double create_floor_ms(const Files& files, bool synced = false) {
  const ProgramFolder folder;
  return milliseconds([&] { create_files(folder.path / "floor", files, synced); });
}

// The least that saving each file alone, atomically and durably, costs: each written to a
// temporary file, synced, renamed over its name, and the folder synced, in a new folder of the
// same file system.
inline double atomic_save_floor_ms(const Files& files) {
  const ProgramFolder folder;
  const fs::path temporary = folder.path / "~temporary";
  return milliseconds([&] {
    for (const auto& [name, bytes] : files) {
      const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
          ::fsync(fd) != 0 || ::rename(temporary.c_str(), (folder.path / name).c_str()) != 0) {
        throw std::runtime_error("cannot save " + name);
      }
      ::close(fd);
      const int folder_fd = ::open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      ::fsync(folder_fd);
      ::close(folder_fd);
    }
  });
}

// The floor of reading: one listing of the folder and one read of each file.
inline double read_floor_ms(const fs::path& folder) {
  std::size_t bytes = 0;
  const double ms = milliseconds([&] {
    char buffer[1 << 16];
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) continue;
      for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        bytes += static_cast<std::size_t>(got);
      }
      ::close(fd);
    }
  });
  benchmark::DoNotOptimize(bytes);
  return ms;
}

// What removing as many files costs, in a new folder of the same file system: the share of
// work that deletes or replaces files which neither floor counts.
inline double remove_floor_ms(const Files& files) {
  const ProgramFolder folder;
  create_files(folder.path, files);
  return milliseconds([&] {
    for (const auto& [name, bytes] : files) ::unlink((folder.path / name).c_str());
  });
}

// Beside the floor: the same floor with the removals the operation must make.
inline void report_removals(benchmark::State& state, double operation_ms, double floor_ms,
                            double removals_ms) {
  state.counters["x_floor_and_removals"] = operation_ms / (floor_ms + removals_ms);
}

// One repetition's outcome: the operation's time, and the floor measured beside it; for work
// that saves, also the floor with each file synced.
inline void report(benchmark::State& state, double operation_ms, double floor_ms,
                   double synced_floor_ms = 0) {
  state.SetIterationTime(operation_ms / 1000);
  state.counters["floor_ms"] = floor_ms;
  state.counters["x_floor"] = floor_ms > 0 ? operation_ms / floor_ms : 0;
  if (synced_floor_ms <= 0) return;
  state.counters["synced_floor_ms"] = synced_floor_ms;
  state.counters["x_synced_floor"] = operation_ms / synced_floor_ms;
}

using Sized = void (*)(benchmark::State&);

// Registers each benchmark at 1,000 and 10,000 plannings, and 100,000 with --with-100k; each
// repetition runs the operation once, and the medians of three are reported.
inline int run_sized(int argc, char** argv,
                     std::initializer_list<std::pair<const char*, Sized>> all) {
  bool largest = false;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--with-100k") == 0) {
      largest = true;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  for (const auto& [name, function] : all) {
    auto* b = benchmark::RegisterBenchmark(name, function)->Arg(1000)->Arg(10000);
    if (largest) b->Arg(100000);
    b->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace tavelo::bench
