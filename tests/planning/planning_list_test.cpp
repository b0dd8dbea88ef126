#include "planning/planning_list.hpp"

#include <gtest/gtest.h>

#include "planning/calendar.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::ScriptedPrompts;
using testing::TempFolder;

const int kDay = daynumber(2026, 12, 7);  // Lundi

class PlanningList : public ::testing::Test {
 protected:
  PlanningList() : settings_(default_settings(kDay, false)) {
    apply_zero_value_defaults(settings_);
    fs::create_directories(rdv());
  }
  fs::path rdv() const { return planning_folder(folder_.path()); }
  std::string put(const std::string& name, std::string subject, std::string category = " ",
                  std::string unique_identifier = {}) {
    Planning p;
    p.subject = std::move(subject);
    p.category = std::move(category);
    p.unique_identifier = std::move(unique_identifier);
    testing::write_bytes(rdv() / name, write_planning(p));
    return name;
  }
  std::vector<std::string> lines(int mode, int order, std::string_view category = {}) {
    const std::vector<ListedPlanning> listed =
        read_listed_plannings(folder_.path(), settings_, mode);
    std::vector<std::string> shown;
    for (const std::size_t i : shown_plannings(listed, order, category)) {
      shown.push_back(listed[i].line);
    }
    return shown;
  }

  TempFolder folder_;
  Settings settings_;
};

TEST_F(PlanningList, OrdersFiltersAndCategoriesOfTheLines) {
  // Day 99999 is after day 100000 as text, not as a date.
  put(std::to_string(kDay + 10) + " 08-00.gnd", "école", "travail");
  put(std::to_string(kDay) + " 14-00.gnd", "Fête", "maison");
  put(std::to_string(kDay) + " 09-30.gnd", "dentiste");
  put(std::to_string(kDay) + " 09-30.gnda", "Été");
  put("notes.txt", "pas une planification");
  EXPECT_EQ(
      lines(kAllPlannings, kChronological),
      (std::vector<std::string>{
          "Lundi, le 7 Décembre 2026 à 09:30; dentiste", "Lundi, le 7 Décembre 2026 à 09:30; Été",
          "Lundi, le 7 Décembre 2026 à 14:00; Fête", "Jeudi, le 17 Décembre 2026 à 08:00; école"}));
  const std::vector<std::string> alphabetical = lines(kAllPlannings, kAlphabetical);
  EXPECT_EQ(alphabetical[0], "Lundi, le 7 Décembre 2026 à 09:30; dentiste");
  EXPECT_EQ(alphabetical[1], "Jeudi, le 17 Décembre 2026 à 08:00; école");
  EXPECT_EQ(alphabetical[2], "Lundi, le 7 Décembre 2026 à 09:30; Été");
  EXPECT_EQ(lines(kAllPlannings, kChronological, "maison"),
            std::vector<std::string>{"Lundi, le 7 Décembre 2026 à 14:00; Fête"});
  const std::vector<ListedPlanning> listed =
      read_listed_plannings(folder_.path(), settings_, kAllPlannings);
  EXPECT_EQ(shown_category_choices({"sport"}, listed),
            (std::vector<std::string>{"tous", "sport", "maison", "travail"}));
}

TEST_F(PlanningList, TheSearchGoesEitherWayWithoutWrappingAround) {
  const std::vector<std::string> l = {"a Dentiste", "b", "c DENTISTE", "d"};
  EXPECT_EQ(search_lines(l, 0, " dentiste ", true), 2u);
  EXPECT_EQ(search_lines(l, 2, "dentiste", true), std::nullopt);
  EXPECT_EQ(search_lines(l, 2, "dentiste", false), 0u);
  EXPECT_EQ(search_lines(l, 0, "dentiste", false), std::nullopt);
  EXPECT_EQ(search_lines(l, 3, "É", false), std::nullopt);
}

TEST_F(PlanningList, NetworkModesListTheSharedAndTheReceivedByTheirIdentifiers) {
  put(std::to_string(kDay) + " 08-00.gnd", "local");
  put(std::to_string(kDay) + " 09-00.gnd", "reçue", " ", "bob_1700000000_1");
  put(std::to_string(kDay) + " 10-00.gnd", "ancienne", " ", "bob_1600000000_1");
  testing::write_bytes(folder_.path() / kReceivedIndexFile, "bob_1700000000_1\r\n\r\nbob_9_9\r\n");
  EXPECT_EQ(lines(kNetworkPlannings, kChronological).size(), 2u);
  EXPECT_EQ(lines(kReceivedPlannings, kChronological),
            std::vector<std::string>{"Lundi, le 7 Décembre 2026 à 09:00; reçue"});
  forget_received_plannings(folder_.path());
  EXPECT_TRUE(lines(kReceivedPlannings, kChronological).empty());
  forget_received_plannings(folder_.path());  // already gone: no error
}

TEST_F(PlanningList, AFileThatCannotBeReadIsListedWithWhatItsNameTells) {
  testing::write_bytes(rdv() / (std::to_string(kDay) + " 07-00.gnd"),
                       std::string("\x05\x00\xff", 3));
  const std::vector<std::string> shown = lines(kAllPlannings, kChronological);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].starts_with("Lundi, le 7 Décembre 2026 à 07:00; ")) << shown[0];
}

TEST_F(PlanningList, DeletionsTakeASeriesOrACategoryAndExclusionKeepsTheFile) {
  Planning occurrence;
  occurrence.subject = "yoga";
  occurrence.type = kTypeWeekly;
  occurrence.number_of_times = 2;
  occurrence.series_link = "1700000000";
  for (int i = 1; i <= 2; ++i) {
    occurrence.occurrence_number = i;
    testing::write_bytes(rdv() / (std::to_string(kDay + 7 * i) + " 08-00.gnd;1700000000"),
                         write_planning(occurrence));
  }
  const std::string kept =
      put(std::to_string(kDay) + " 12-00.gnd", "repas", "maison", "moi_1700000000_3");
  put(std::to_string(kDay) + " 13-00.gnd", "vaisselle", "maison");
  std::vector<ListedPlanning> listed =
      read_listed_plannings(folder_.path(), settings_, kAllPlannings);
  ASSERT_EQ(listed.size(), 4u);
  EXPECT_EQ(listed[2].line, "Lundi, le 14 Décembre 2026 à 08:00; yoga, (1 de 2)");

  std::vector<std::string> sent;
  const SendDeletionOf send = [&](const std::string& file, const Planning&) {
    sent.push_back(file);
  };
  ScriptedPrompts both({true, true});
  EXPECT_TRUE(delete_listed_planning(folder_.path(), listed[2], both, send));
  EXPECT_EQ(both.questions[1], "yoga comporte des occurrences, voulez-vous les supprimer?");
  EXPECT_EQ(sent.size(), 2u);
  EXPECT_EQ(list_plannings(rdv()).size(), 2u);

  EXPECT_TRUE(exclude_from_network(folder_.path(), listed[0], settings_));
  int readerror = 0;
  EXPECT_TRUE(
      loadplanning(rdv() / kept, folder_.path(), settings_, readerror).unique_identifier.empty());

  // A file another program deleted meanwhile is no error.
  fs::remove(rdv() / listed[1].file);
  ScriptedPrompts yes({true});
  EXPECT_EQ(delete_category_plannings(folder_.path(), listed, "maison", yes, send), 2);
  EXPECT_TRUE(list_plannings(rdv()).empty());
}

}  // namespace
}  // namespace tavelo
