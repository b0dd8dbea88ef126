#include "planning/planning_names.hpp"

#include <gtest/gtest.h>

#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::write_bytes;

TEST(PlanningNames, PlanningsAtTheSameTimeTakeOneMoreA) {
  TempFolder rdv;
  ScriptedPrompts prompts;
  for (const char* expected : {"45123 09-30.gnd", "45123 09-30.gnda", "45123 09-30.gndaa"}) {
    const std::string name = new_planning_name(rdv.path(), 45123, "09:30", "Dentiste", "", prompts);
    EXPECT_EQ(name, expected);
    write_bytes(rdv.path() / name, "");
  }
  EXPECT_EQ(new_planning_name(rdv.path(), 45123, "09:30", "x", "1700000000", prompts),
            "45123 09-30.gndaaa;1700000000");
  EXPECT_EQ(deadline_end_marker_name(45123, "09:30", "1700000000"), "45123 09-30.lmt;1700000000");
  EXPECT_TRUE(prompts.questions.empty());
}

TEST(PlanningNames, ADeadlineIsConfirmedAndMayReplaceTheOldOne) {
  TempFolder rdv;
  ScriptedPrompts first({true});
  EXPECT_EQ(new_planning_name(rdv.path(), 45200, "12:00", "Impôts LIMITE", "", first),
            "45200 12-00.gnd limite");
  EXPECT_EQ(first.questions, std::vector<std::string>{"sagit'il d'une planification de date limite?"});

  // The deadline there, at another date, stays unless the user lets it go; this planning is
  // then no deadline, so that the upkeep never deletes one of two deadlines unseen.
  write_bytes(rdv.path() / "45100 08-00.gnd limite", "old");
  ScriptedPrompts keep({true, false});
  EXPECT_EQ(new_planning_name(rdv.path(), 45200, "12:00", "LIMITE", "", keep), "45200 12-00.gnd");
  EXPECT_EQ(keep.questions.back(), "supprimer la date limite déjà existante?");
  EXPECT_TRUE(std::filesystem::exists(rdv.path() / "45100 08-00.gnd limite"));

  ScriptedPrompts replace({true, true});
  EXPECT_EQ(new_planning_name(rdv.path(), 45200, "12:00", "LIMITE", "", replace),
            "45200 12-00.gnd limite");
  EXPECT_FALSE(std::filesystem::exists(rdv.path() / "45100 08-00.gnd limite"));

  // The deadline being modified is not asked about: it is the one replaced.
  write_bytes(rdv.path() / "45200 12-00.gnd limite", "old");
  ScriptedPrompts same({true});
  EXPECT_EQ(new_planning_name(rdv.path(), 45300, "12:00", "LIMITE", "", same,
                              "45200 12-00.gnd limite"),
            "45300 12-00.gnd limite");
  EXPECT_EQ(same.questions.size(), 1u);

  ScriptedPrompts refuse({false});
  EXPECT_EQ(new_planning_name(rdv.path(), 45200, "12:00", "LIMITE", "", refuse), "45200 12-00.gnd");
  // A reproduced occurrence is never asked about.
  ScriptedPrompts none;
  EXPECT_EQ(new_planning_name(rdv.path(), 45200, "12:00", "LIMITE", "99", none),
            "45200 12-00.gnd;99");
}

TEST(PlanningNames, NameFieldsAreReadBackAndStrayNamesPassedOver) {
  const auto fields = parse_planning_name("45123 09-30.gnda;1700000000");
  ASSERT_TRUE(fields);
  EXPECT_EQ(fields->day, 45123);
  EXPECT_EQ(fields->hour, 9);
  EXPECT_EQ(fields->minute, 30);
  // Spaces around the name are no field of it.
  const auto spaced = parse_planning_name("  45123 09-30.gnd ");
  ASSERT_TRUE(spaced);
  EXPECT_EQ(spaced->day, 45123);
  EXPECT_EQ(spaced->minute, 30);
  for (const char* stray : {"x.gnd", "45123.gnd", "45123 xx-30.gnd", "45123 25-00.gnd", "",
                            "45123 09-30", "45123  09-30.gnd", "45123 09   ", "45123 09-60.gnd",
                            "45123 09-3\xc3\xa9.gnd", "1234567890 09-30.gnd"}) {
    EXPECT_FALSE(parse_planning_name(stray)) << stray;
  }
}

TEST(PlanningNames, TheListingFindsEveryPlanningKindInDateOrder) {
  TempFolder program;
  const auto rdv = planning_folder(program.path());
  std::filesystem::create_directories(rdv);
  for (const char* name : {"45124 08-00.gnd", "45123 09-30.gnd limite", "45123 09-30.gnd;17",
                           "45123 10-00.lmt;17", "travail.cat", "45123 07-05.gnd"}) {
    write_bytes(rdv / name, "");
  }
  EXPECT_EQ(list_plannings(rdv), (std::vector<std::string>{"45123 07-05.gnd",
                                                           "45123 09-30.gnd limite",
                                                           "45123 09-30.gnd;17",
                                                           "45124 08-00.gnd"}));
}

}  // namespace
}  // namespace tavelo
