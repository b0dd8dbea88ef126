#include "tests/support/inspect.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace tavelo::testing {

InspectRun inspect(const std::filesystem::path& file) {
  const char* program = std::getenv("TAVELO_INSPECT");
  if (program == nullptr) throw std::runtime_error("TAVELO_INSPECT is not set");
  const std::string command = std::string("'") + program + "' '" + file.string() + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("popen failed");
  std::string output;
  char buffer[4096];
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  const int status = ::pclose(pipe);
  return {WEXITSTATUS(status), output};
}

nlohmann::json inspected_fields(const std::filesystem::path& file) {
  const InspectRun run = inspect(file);
  EXPECT_EQ(run.status, 0) << run.output;
  nlohmann::json json = nlohmann::json::parse(run.output, nullptr, false);
  if (!json.is_object() || !json.contains("fields")) {
    ADD_FAILURE() << "tavelo-inspect shows no fields: " << run.output;
    return nlohmann::json::object();
  }
  return json["fields"];
}

}  // namespace tavelo::testing
