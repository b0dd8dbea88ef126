// The real-time agenda: its list pass over 10,000 plannings beside one plain read of every
// planning file (the floor), target under 100 ms; and the alarm latency on the real clock, from
// the due minute to the first tone, target under 1 s.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <random>
#include <stdexcept>

#include "access/interface_context.hpp"
#include "access/speech.hpp"
#include "access/window_prompts.hpp"
#include "alarms/chime_profile.hpp"
#include "bench/bench_support.hpp"
#include "planning/calendar.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/system_clock.hpp"
#include "platform/portable/curl_network.hpp"
#include "platform/services.hpp"
#include "platform/sim/sim_speech.hpp"
#include "platform/sim/sim_window_system.hpp"
#include "shell/agenda_list.hpp"
#include "shell/realtime_agenda.hpp"

namespace {

using namespace tavelo;
using bench::ProgramFolder;
using Clockwork = std::chrono::steady_clock;

constexpr int kPlannings = 10000;
const int kToday = daynumber(2026, 3, 6);

// 10,000 plannings from today over the coming 200 days, a tenth of them today; each shown from
// 0 to 30 days ahead.
void write_plannings(const fs::path& program_folder) {
  const fs::path rdv = planning_folder(program_folder);
  fs::create_directories(rdv);
  std::mt19937 random(20260306);
  for (int i = 0; i < kPlannings; ++i) {
    Planning p;
    p.subject = "planification " + std::to_string(i);
    p.journal = 1;
    p.forewarning_days = static_cast<int>(random() % 31);
    if (i % 4 == 0) p.category = "catégorie " + std::to_string(i % 7);
    const int day = kToday + (i % 10 == 0 ? 0 : static_cast<int>(random() % 200));
    const std::string time =
        time_text(static_cast<int>(random() % 24), static_cast<int>(random() % 60));
    std::string name = planning_base_name(day, time);
    while (fs::exists(rdv / name)) name += 'a';
    std::ofstream out(rdv / name, std::ios::binary);
    const std::string bytes = write_planning(p);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
}

const fs::path& planning_folder_of_the_bench() {
  static const ProgramFolder folder;
  static const bool written = (write_plannings(folder.path), true);
  (void)written;
  return folder.path;
}

void BM_ListPass(benchmark::State& state) {
  const fs::path& folder = planning_folder_of_the_bench();
  Settings settings = default_settings(kToday, false);
  apply_zero_value_defaults(settings);
  const std::vector<std::string> filter = {"catégorie 3"};
  std::size_t lines = 0;
  for (auto _ : state) {
    std::vector<AgendaPlanning> plannings = read_agenda_plannings(folder, settings, kToday);
    AlarmState alarm_state = AlarmState::kIdle;
    const AgendaList list = list_pass(plannings, {kToday, 12 * 60, &filter, true}, alarm_state);
    lines = list.lines.size();
    benchmark::DoNotOptimize(list);
  }
  state.counters["lignes"] = static_cast<double>(lines);
}
BENCHMARK(BM_ListPass)->Unit(benchmark::kMillisecond);

// The floor: every planning file of the folder read once, nothing decoded.
void BM_ReadEveryPlanningFile(benchmark::State& state) {
  const fs::path rdv = planning_folder(planning_folder_of_the_bench());
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (const std::string& name : list_files(rdv, "*.gnd*"))
      bytes += read_file(rdv / name)->size();
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["octets"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ReadEveryPlanningFile)->Unit(benchmark::kMillisecond);

struct FirstTone {};

// One alarm: the hidden agenda runs on the real clock, set ahead so that its planning falls due
// 1.5 s after the start; the time from that moment to the first tone is the latency.
double alarm_latency_seconds() {
  const ProgramFolder folder;
  fs::create_directories(planning_folder(folder.path));
  const auto due = std::chrono::system_clock::now() + std::chrono::milliseconds(1500);
  const auto due_minute = std::chrono::ceil<std::chrono::minutes>(due);
  const auto ahead = std::chrono::duration_cast<std::chrono::milliseconds>(due_minute - due);
  SystemClock clock(ahead);
  const int today = todaynumber(clock);
  const std::time_t due_seconds = std::chrono::system_clock::to_time_t(due_minute);
  std::tm local{};
  localtime_r(&due_seconds, &local);
  Planning p;
  p.subject = "mesure";
  std::ofstream(planning_folder(folder.path) /
                    planning_base_name(local.tm_hour == 0 && local.tm_min == 0 ? today + 1 : today,
                                       time_text(local.tm_hour, local.tm_min)),
                std::ios::binary)
      << write_planning(p);

  Transcript transcript(clock);
  SimWindowSystem windows(clock, transcript);
  SimSpeech speech(transcript);
  const InterfaceServices services(windows, speech, clock);
  const FreshInterface fresh;
  Settings settings = default_settings(today, false);
  apply_zero_value_defaults(settings);
  settings.management_hour = 23;
  settings.management_minute = 59;
  Mixer mixer;
  SoundPlayers alarms(mixer, clock, folder.path);
  const Clockwork::time_point due_real =
      Clockwork::now() + (due - std::chrono::system_clock::now());
  Clockwork::time_point first_tone;
  alarms.report = [&](std::string_view what, std::string_view) {
    if (!what.starts_with("tone")) return;
    first_tone = Clockwork::now();
    throw FirstTone{};
  };
  Mixer chime_mixer;
  SoundPlayers chime_players(chime_mixer, clock, chime_folder(folder.path));
  ChimeSounds chimes{chime_players, {}, [](std::size_t) -> std::size_t { return 0; }};
  WindowPrompts prompts;
  const std::shared_ptr<Network> network = std::make_shared<CurlNetwork>();
  QueuedTrayIcon icon;
  UrlTaskRunner url_tasks(network, folder.path, icon);
  std::vector<std::jthread> mails;
  RealtimeServices agenda{folder.path,  settings,  prompts, alarms, chimes, network,
                          std::nullopt, url_tasks, icon,    mails,  {},     {},
                          {},           {},        {},      {},     {},     {}};
  RealtimeRun run;
  try {
    RealtimeAgenda(agenda, run, "");
  } catch (const FirstTone&) {
    return std::chrono::duration<double>(first_tone - due_real).count();
  }
  throw std::runtime_error("the agenda left without ringing");
}

void BM_AlarmLatency(benchmark::State& state) {
  double worst = 0;
  for (auto _ : state) {
    const double latency = alarm_latency_seconds();
    worst = std::max(worst, latency);
    state.SetIterationTime(latency);
  }
  state.counters["pire_s"] = worst;
}
BENCHMARK(BM_AlarmLatency)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
