// Packing and unpacking the sounds of chime archives, in MB/s, on 10 MB of wave-like data.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "alarms/brieflz.hpp"
#include "alarms/chime_catalogue.hpp"
#include "alarms/synth.hpp"
#include "platform/mixer.hpp"

namespace {

using namespace tavelo;

// Bells and ticks as 16-bit samples: tones with some noise and silences, like real chimes.
std::string wave_mix(std::size_t size) {
  std::mt19937 noise(7);
  std::string out;
  out.reserve(size);
  for (std::size_t i = 0; out.size() < size; ++i) {
    const double t = static_cast<double>(i);
    const bool silent = (i / 44000) % 4 == 3;
    const double bell =
        std::sin(t * 0.063) * 6000.0 * std::exp(-static_cast<double>(i % 44000) / 20000.0);
    const auto sample =
        static_cast<std::int16_t>(silent ? 0.0 : bell + static_cast<double>(noise() % 64) - 32.0);
    out += static_cast<char>(sample & 0xFF);
    out += static_cast<char>((sample >> 8) & 0xFF);
  }
  out.resize(size);
  return out;
}

const std::string& sample_data() {
  static const std::string data = wave_mix(10u << 20);
  return data;
}

void BM_Pack(benchmark::State& state) {
  const std::string& data = sample_data();
  std::size_t packed = 0;
  for (auto _ : state) packed = pack_block(data).size();
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
  state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(data.size());
}
BENCHMARK(BM_Pack)->Unit(benchmark::kMillisecond);

void BM_Unpack(benchmark::State& state) {
  const std::string& data = sample_data();
  const std::string block = pack_block(data);
  for (auto _ : state) benchmark::DoNotOptimize(unpack_block(block, data.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_Unpack)->Unit(benchmark::kMillisecond);

// One second of output with four voices: two looped at other rates, two panned once.
void BM_MixOneSecondOfFourVoices(benchmark::State& state) {
  const auto tone = std::make_shared<const Pcm>(tone_sample());
  const auto bell = std::make_shared<const Pcm>(start_beep());
  std::vector<std::int16_t> out(2 * 44100);
  for (auto _ : state) {
    Mixer mixer(44100);
    mixer.play(tone, {22000, 0.5, 0.5, true});
    mixer.play(tone, {5500, 0.3, 0.7, true});
    mixer.play(bell, {0, 1.0, 0.2, true});
    mixer.play(bell, {48000, 0.2, 1.0, true});
    mixer.render(out.data(), 44100);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_MixOneSecondOfFourVoices)->Unit(benchmark::kMillisecond);

// The chime catalogue as the server answers it, 64,000 names: the time grows with the answer.
void BM_ReadChimeCatalogue(benchmark::State& state) {
  std::string answer;
  for (int i = 0; i < 64000; ++i) answer += "carillon " + std::to_string(i) + "\r\n";
  for (auto _ : state) benchmark::DoNotOptimize(parse_chime_catalogue(answer));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(answer.size()));
}
BENCHMARK(BM_ReadChimeCatalogue)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
