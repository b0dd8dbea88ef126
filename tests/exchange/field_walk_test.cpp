#include <gtest/gtest.h>

#include "exchange/exchange_file.hpp"
#include "planning/planning_layout.hpp"
#include "planning/settings.hpp"
#include "tests/support/layout_fields.hpp"
#include "tests/support/record_samples.hpp"

namespace tavelo {
namespace {

using namespace testing;

TEST(FieldWalk, EveryPlanningFieldSurvivesAnExchangeFile) {
  const Settings settings = settings_sample();
  expect_every_field_survives(kPlanningLayout, Walk{}, planning_sample(), [&](const Planning& p) {
    ExchangeContent content;
    content.plannings = {{"45123 09-30.gnd", p}};
    const auto parsed = read_exchange_file(write_exchange_file(content), settings);
    EXPECT_TRUE(parsed && parsed->refused.empty());
    if (!parsed || parsed->content.plannings.size() != 1) {
      ADD_FAILURE() << "the planning did not come back";
      return Planning{};
    }
    return parsed->content.plannings[0].planning;
  });
}

}  // namespace
}  // namespace tavelo
