// The update index: a server's index the size of the largest one read (1 MiB) is parsed in a
// few milliseconds, so that a long or hostile index never stalls the agenda.
#include <benchmark/benchmark.h>

#include <string>

#include "maintenance/update_check.hpp"

namespace {

using namespace tavelo;

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

}  // namespace

BENCHMARK_MAIN();
