#include "tests/support/inspect.hpp"

#include <gtest/gtest.h>

#include "tests/support/programs.hpp"

namespace tavelo::testing {

InspectRun inspect(const std::filesystem::path& file) {
  const ProgramRun run = run_program({TAVELO_INSPECT, file.string()});
  return {run.status, run.output};
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
