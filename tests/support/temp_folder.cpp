#include "tests/support/temp_folder.hpp"

#include <fstream>
#include <limits>
#include <random>
#include <stdexcept>

#include "platform/files.hpp"

namespace tavelo::testing {

TempFolder::TempFolder() {
  // A name another test holds is passed over: creating the folder is the test of its name.
  static std::mt19937 names{std::random_device{}()};
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  // French in the name: every test also checks that such names survive, as users' folders have
  // them ("C:\\Users\\Hélène\\...").
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = base / path_of("tavelo-test-été-" + std::to_string(names()));
    if (std::filesystem::create_directory(path_)) return;
  }
  throw std::runtime_error("no temporary folder could be made in " + base.string());
}

TempFolder::~TempFolder() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

void write_bytes(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  // A test that sets up a file in a missing folder must not go on to test nothing.
  if (!out.flush()) throw std::runtime_error("cannot write the test file " + file.string());
}

std::string read_bytes(const std::filesystem::path& file) {
  return read_file(file, std::numeric_limits<std::size_t>::max()).value_or(std::string());
}

}  // namespace tavelo::testing
