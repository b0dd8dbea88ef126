#include "planning/categories.hpp"

#include <gtest/gtest.h>

#include "planning/planning_names.hpp"
#include "platform/files.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::read_bytes;
using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::write_bytes;

TEST(Categories, TemplatesListByTheirNames) {
  TempFolder folder;
  EXPECT_TRUE(listcategories(folder.path()).empty());  // no "rdv" yet
  fs::create_directories(planning_folder(folder.path()));
  write_bytes(category_template_file(folder.path(), "travail"), "");
  write_bytes(planning_folder(folder.path()) / "a.b.cat", "");
  write_bytes(planning_folder(folder.path()) / "45123 09-30.gnd", "");
  write_bytes(planning_folder(folder.path()) / "famille.CAT", "");
  EXPECT_EQ(listcategories(folder.path()), (std::vector<std::string>{"b", "famille", "travail"}));
  EXPECT_EQ(category_name_of("travail.cat"), "travail");
  EXPECT_EQ(category_name_of("a.b.cat"), "b");
  EXPECT_EQ(category_name_of("C:\\agenda\\rdv\\sport.cat"), "sport");
}

TEST(Categories, TheFilterIsAddedToOnceAndSavedInCatBin) {
  TempFolder folder;
  std::vector<std::string> filter = loadfilter(folder.path());
  EXPECT_TRUE(filter.empty());
  ScriptedPrompts prompts;
  EXPECT_FALSE(addtofilter(folder.path(), filter, " ", prompts));
  EXPECT_FALSE(addtofilter(folder.path(), filter, "", prompts));
  EXPECT_FALSE(file_exists(folder.path() / kFilterFile));
  EXPECT_TRUE(addtofilter(folder.path(), filter, "travail", prompts));
  EXPECT_TRUE(addtofilter(folder.path(), filter, "été", prompts));
  EXPECT_FALSE(addtofilter(folder.path(), filter, "travail", prompts));
  EXPECT_EQ(prompts.notices,
            (std::vector<std::string>{"aucune catégorie n'est associée à cette planification",
                                      "aucune catégorie n'est associée à cette planification",
                                      "cette catégorie est déjà filtrée"}));
  EXPECT_EQ(read_bytes(folder.path() / kFilterFile),
            std::string("\x02\x00travail\x00\xE9t\xE9\x00", 14));
  EXPECT_EQ(loadfilter(folder.path()), (std::vector<std::string>{"travail", "été"}));
  EXPECT_TRUE(isfiltered(filter, "été"));
  EXPECT_FALSE(isfiltered(filter, "Travail"));
  EXPECT_FALSE(isfiltered(filter, "travail "));
}

TEST(Categories, RemovingTheLastEntryDeletesCatBin) {
  TempFolder folder;
  std::vector<std::string> filter;
  ScriptedPrompts prompts;
  addtofilter(folder.path(), filter, "a", prompts);
  addtofilter(folder.path(), filter, "b", prompts);
  EXPECT_FALSE(removefromfilter(folder.path(), filter, 2));
  EXPECT_TRUE(removefromfilter(folder.path(), filter, 0));
  EXPECT_EQ(read_bytes(folder.path() / kFilterFile), std::string("\x01\x00"
                                                                 "b\x00",
                                                                 4));
  EXPECT_TRUE(removefromfilter(folder.path(), filter, 0));
  EXPECT_FALSE(file_exists(folder.path() / kFilterFile));
  EXPECT_TRUE(loadfilter(folder.path()).empty());
}

TEST(Categories, ADamagedCatBinGivesNoFilter) {
  TempFolder folder;
  const fs::path file = folder.path() / kFilterFile;
  write_bytes(file, std::string("\x03\x00"
                                "a\x00"
                                "b\x00"
                                "c",
                                7));  // cut inside the third
  EXPECT_FALSE(read_filter(folder.path()).has_value());
  EXPECT_TRUE(loadfilter(folder.path()).empty());
  write_bytes(file, std::string("\xFF\xFF", 2));  // a negative count
  EXPECT_FALSE(read_filter(folder.path()).has_value());
  write_bytes(file, std::string("\x01", 1));
  EXPECT_FALSE(read_filter(folder.path()).has_value());
  // Bytes left after the last entry by an older, longer content are never read.
  write_bytes(file, std::string("\x01\x00"
                                "a\x00"
                                "old\x00",
                                8));
  EXPECT_EQ(loadfilter(folder.path()), std::vector<std::string>{"a"});
  write_bytes(file, std::string("\xFF\x7F", 2));  // 32767 entries announced, none there
  EXPECT_FALSE(read_filter(folder.path()).has_value());
}

}  // namespace
}  // namespace tavelo
