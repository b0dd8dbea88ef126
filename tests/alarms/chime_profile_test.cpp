#include "alarms/chime_profile.hpp"

#include <gtest/gtest.h>

#include "planning/record_io.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::write_bytes;

ChimeProfile sample() {
  ChimeProfile p;
  p.start = 2200;
  p.end = 600;
  p.hour_strike_mode = 13;
  p.quarter_cycle = 2;
  p.hour_random_mode = 1;
  p.quarter_random = 1;
  p.hour_with_fourth_quarter = 1;
  p.hours = {{"big\\heure.wav", 80, -100, 1200}};
  p.quarters = {{"big\\q1.ogg", 100, 0, 0}, {"big\\q2.mp3", 0, 100, 32000}};
  return p;
}

class ChimeFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(chimes / "big");
    for (const char* f : {"heure.wav", "q1.ogg", "q2.mp3"}) write_bytes(chimes / "big" / f, f);
  }
  TempFolder program;
  std::filesystem::path chimes = chime_folder(program.path());
};

TEST_F(ChimeFolder, AProfileSurvivesSaveAndLoad) {
  ScriptedPrompts prompts;
  const auto saved = SaveChimeProfile(chimes / "big.car", chimes, sample(), prompts);
  ASSERT_TRUE(saved);
  ChimeProfile back;
  ASSERT_TRUE(LoadChimeProfile(*saved, chimes, back, prompts));
  EXPECT_EQ(write_chime_profile(back), write_chime_profile(sample()));
  EXPECT_EQ(ListChimeProfiles(chimes, prompts), std::vector<std::string>{"big"});
  // No entries at all are stored as a count of -1.
  EXPECT_EQ(write_chime_profile(ChimeProfile{}).substr(9), std::string("\xFF\xFF\xFF\xFF", 4));
}

TEST_F(ChimeFolder, AProfileNamingAMissingSoundIsRefusedAndDeletedOnYes) {
  ScriptedPrompts prompts;
  ASSERT_TRUE(SaveChimeProfile(chimes / "big.car", chimes, sample(), prompts));
  std::filesystem::remove(chimes / "big" / "q2.mp3");
  ScriptedPrompts keep({false});
  ChimeProfile back;
  EXPECT_FALSE(LoadChimeProfile(chimes / "big.car", chimes, back, keep));
  ASSERT_EQ(keep.questions.size(), 1u);
  EXPECT_EQ(keep.questions[0], "Le carillon " + (chimes / "big.car").string() +
                                   " fait référence un fichiers audio de quart absents.\r|" +
                                   chimes.string() + "\\big\\q2.mp3\rvoulez-vous le supprimer?");
  EXPECT_TRUE(std::filesystem::exists(chimes / "big.car"));
  ScriptedPrompts remove({true});
  EXPECT_TRUE(ListChimeProfiles(chimes, remove).empty());
  EXPECT_FALSE(std::filesystem::exists(chimes / "big.car"));
}

TEST_F(ChimeFolder, ASoundOutsideTheChimeFolderCountsAsMissing) {
  ChimeProfile p = sample();
  p.hours[0].file = "..\\..\\etc\\passwd";
  write_bytes(chimes / "evil.car", write_chime_profile(p));
  ScriptedPrompts prompts({false});
  ChimeProfile back;
  EXPECT_FALSE(LoadChimeProfile(chimes / "evil.car", chimes, back, prompts));
  EXPECT_NE(prompts.questions.at(0).find("fait référence au fichier audio d'heure absents"),
            std::string::npos);
}

TEST_F(ChimeFolder, SavingOverAProfileAsksAndMayTakeAnotherName) {
  ScriptedPrompts first;
  ASSERT_TRUE(SaveChimeProfile(chimes / "big.car", chimes, sample(), first));
  ScriptedPrompts rename({false});
  rename.input_answers = {std::string("autre")};
  EXPECT_EQ(SaveChimeProfile(chimes / "big.car", chimes, ChimeProfile{}, rename), chimes / "autre.car");
  EXPECT_EQ(rename.questions, std::vector<std::string>{"carillon existant, le remplacer?"});
  EXPECT_EQ(rename.inputs_asked, std::vector<std::string>{"enregistrer sous|nom du profile:|"});
  ScriptedPrompts cancel({false});
  cancel.input_answers = {std::string()};
  EXPECT_FALSE(SaveChimeProfile(chimes / "big.car", chimes, ChimeProfile{}, cancel));
  ChimeProfile kept;
  EXPECT_TRUE(LoadChimeProfile(chimes / "big.car", chimes, kept, first));
  EXPECT_EQ(kept.hours.size(), 1u);
}

TEST(ChimeProfile, ACutOrHostileFileKeepsTheWholeEntriesAndNoMore) {
  const std::string full = write_chime_profile(sample());
  for (std::size_t cut = 0; cut < full.size(); ++cut) {
    ChimeProfile back;
    ASSERT_EQ(read_chime_profile(full.substr(0, cut), back), kReadEnd);
    ASSERT_LE(back.hours.size(), 1u);
    ASSERT_LE(back.quarters.size(), 1u);  // the second quarter is the last field
  }
  std::string hostile = write_chime_profile(ChimeProfile{});
  hostile[9] = '\xFF';
  hostile[10] = '\x7F';  // 32768 hour entries announced, none present
  ChimeProfile back;
  EXPECT_EQ(read_chime_profile(hostile, back), kReadEnd);
  EXPECT_TRUE(back.hours.empty());
}

TEST(ChimeProfile, TimeLists) {
  EXPECT_EQ(FillTimeList(0).size(), 1440u);
  EXPECT_EQ(FillTimeList(0)[61], "01:01");
  EXPECT_EQ(FillTimeList(1).size(), 96u);
  EXPECT_EQ(FillTimeList(1)[95], "23:45");
  EXPECT_EQ(FillTimeList(2).front(), "01:00");
  EXPECT_EQ(FillTimeList(2).size(), 23u);
  EXPECT_EQ(FillTimeList(3), (std::vector<std::string>{"quart 1", "quart 2", "quart 3", "quart 4"}));
}

}  // namespace
}  // namespace tavelo
