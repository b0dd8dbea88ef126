#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

namespace tavelo::testing {

// What the real tavelo-inspect program of the build printed for a file.
struct InspectRun {
  int status;
  std::string output;
};
InspectRun inspect(const std::filesystem::path& file);

// The fields it shows of a file it reads; a test fails on anything else.
nlohmann::json inspected_fields(const std::filesystem::path& file);

}  // namespace tavelo::testing
