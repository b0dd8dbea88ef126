// The calendar over 10,000 plannings, on the simulated windows and speech: a move (a key, the
// grid and the day's list rebuilt, the summary spoken), target under 10 ms; and the program's
// start up to the calendar shown, target under 200 ms. Beside them, the floor: one plain
// listing of the same planning folder.
#include <benchmark/benchmark.h>

#include <chrono>
#include <optional>
#include <random>
#include <string>

#include "access/interface_context.hpp"
#include "bench/bench_support.hpp"
#include "planning/calendar.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/portable/curl_network.hpp"
#include "platform/services.hpp"
#include "platform/sim/fixed_clock.hpp"
#include "platform/sim/sim_shell.hpp"
#include "platform/sim/sim_speech.hpp"
#include "platform/sim/sim_window_system.hpp"
#include "shell/agenda_program.hpp"
#include "shell/calendar_form.hpp"

namespace {

using namespace tavelo;

constexpr LocalTime kNow{2026, 12, 7, 10, 0, 0, 0};
constexpr int kPlannings = 10000;
constexpr int kMoves = 1000;

// A program folder with its marker file, its chime folder, settings saved today and 10,000
// plannings over the three years around today.
struct CalendarFolder {
  CalendarFolder() {
    const int today = daynumber(kNow.year, kNow.month, kNow.day);
    write_file_atomically(folder.path / "access.txt", "");
    std::filesystem::create_directories(folder.path / "carillons");
    Settings settings = default_settings(today, false);
    apply_zero_value_defaults(settings);
    settings.journal_folder = (folder.path / "journal").string();
    savesettings(folder.path, settings, today);
    const auto rdv = planning_folder(folder.path);
    std::filesystem::create_directories(rdv);
    std::mt19937 random(20261207);
    for (int i = 0; i < kPlannings; ++i) {
      Planning p;
      p.subject = "planification " + std::to_string(i);
      const int day = today - 365 + static_cast<int>(random() % 1095);
      const std::string time = time_text(static_cast<int>(random() % 24), 0);
      write_file_atomically(rdv / free_planning_name(rdv, day, time), write_planning(p));
    }
    // The folder as the calendar finds it once its last change is a while ago; within two
    // seconds of a change the calendar lists it again at each move.
    std::filesystem::last_write_time(
        rdv, std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1));
  }
  bench::ProgramFolder folder;
};

CalendarFolder& calendar_folder() {
  static CalendarFolder made;
  return made;
}

// The user: `moves` presses of the right arrow on the grid, each after the summary of the one
// before was said, then the window closed.
class ArrowUser final : public SimInput {
 public:
  ArrowUser(const Clock& clock, int moves) : clock_(clock), presses_left_(moves) {}

  std::optional<std::uint32_t> next_due() override {
    if (closed_) return std::nullopt;
    return due_;
  }
  void perform(SimWindowSystem& windows) override {
    if (windows.current_window() == 0) return;
    if (held_) {
      windows.release(vk::right);
      held_ = false;
      due_ = clock_.tick() + kPauseMs;
    } else if (presses_left_ > 0) {
      windows.press(vk::right);
      held_ = true;
      --presses_left_;
    } else {
      windows.ask_close();
      closed_ = true;
    }
  }
  void offer_answers(SimWindowSystem&) override {}

 private:
  static constexpr std::uint32_t kPauseMs = 300;

  const Clock& clock_;
  int presses_left_;
  std::uint32_t due_ = 0;
  bool held_ = false;
  bool closed_ = false;
};

// The program run on the sim backends, from its start to the calendar closed.
void run_program(int moves) {
  FixedClock clock(kNow);
  Transcript transcript(clock);
  SimWindowSystem windows(clock, transcript);
  SimSpeech speech(transcript);
  SimShell shell(transcript, calendar_folder().folder.path);
  ArrowUser user(clock, moves);
  windows.set_input(&user);
  const InterfaceServices services(windows, speech, clock);
  Mixer mixer;
  const SoundServices sound(mixer, {});
  const ShellService shell_service(shell);
  const FreshInterface interface;
  CurlNetwork network;
  try {
    RunAgendaProgram(calendar_folder().folder.path, {}, network);
  } catch (const SimSessionOver&) {
  }
}

void BM_PlainListing(benchmark::State& state) {
  const auto rdv = planning_folder(calendar_folder().folder.path);
  for (auto _ : state) benchmark::DoNotOptimize(list_files(rdv, kPlanningPattern));
}
BENCHMARK(BM_PlainListing)->Unit(benchmark::kMillisecond);

// What a move computes: the grid and the day's list of a day, its plannings read.
void BM_PageOfADay(benchmark::State& state) {
  const auto& folder = calendar_folder().folder.path;
  DayIndex index(planning_folder(folder));
  index.refresh();
  Settings settings;
  const int today = daynumber(kNow.year, kNow.month, kNow.day);
  int step = 0;
  for (auto _ : state) {
    index.refresh();
    benchmark::DoNotOptimize(calendar_page(today + step++ % 365, index, folder, settings));
  }
}
BENCHMARK(BM_PageOfADay)->Unit(benchmark::kMillisecond);

void BM_StartToCalendarShown(benchmark::State& state) {
  for (auto _ : state) run_program(0);
}
BENCHMARK(BM_StartToCalendarShown)->Unit(benchmark::kMillisecond);

// A session of 1,000 moves, per move: the start is shared among them.
void BM_CalendarMove(benchmark::State& state) {
  for (auto _ : state) run_program(kMoves);
  state.counters["per_move"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kMoves,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CalendarMove)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
