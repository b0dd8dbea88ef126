// Runs a fuzz target once over every input of the folders or files named on its command line:
// the seeds and the past findings, replayed by the test suite as regression inputs, without
// libFuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputs_of(const fs::path& place) {
  std::vector<fs::path> inputs;
  if (fs::is_directory(place)) {
    for (const auto& entry : fs::directory_iterator(place)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
  } else if (fs::is_regular_file(place)) {
    inputs.push_back(place);
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const fs::path& input : inputs_of(argv[i])) {
      std::ifstream in(input, std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      std::fprintf(stderr, "%s\n", input.c_str());
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::printf("%zu inputs replayed\n", replayed);
  return replayed > 0 ? 0 : 1;
}
