#include "tests/support/temp_folder.hpp"

#include <cstdlib>
#include <fstream>
#include <limits>
#include <stdexcept>

#include "platform/files.hpp"

namespace tavelo::testing {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tavelo-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
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
