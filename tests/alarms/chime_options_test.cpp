// What the chime options decide without their window: pages, hidden buttons, lists, the values
// typed under a file list, added sounds and the questions of a modified profile.
#include "alarms/chime_options.hpp"

#include <gtest/gtest.h>

#include "planning/settings.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::read_bytes;
using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::write_bytes;

TEST(ChimeOptionsForm, PagesTurnByTheirKeysAndRoundByControlTab) {
  EXPECT_EQ(tab_for_key(ChimeTab::general, "f4"), ChimeTab::hours);
  EXPECT_EQ(tab_for_key(ChimeTab::hours, "f2"), ChimeTab::general);
  EXPECT_EQ(tab_for_key(ChimeTab::general, "f5"), ChimeTab::download);
  EXPECT_EQ(tab_for_key(ChimeTab::download, "controltab"), ChimeTab::general);
  EXPECT_EQ(tab_for_key(ChimeTab::quarters, "controltab"), ChimeTab::hours);
  EXPECT_EQ(tab_for_key(ChimeTab::general, "controlshifttab"), ChimeTab::download);
  EXPECT_EQ(tab_for_key(ChimeTab::hours, "controlshifttab"), ChimeTab::quarters);
  EXPECT_EQ(tab_for_key(ChimeTab::general, "f6"), std::nullopt);
  EXPECT_EQ(tab_for_key(ChimeTab::general, "tab"), std::nullopt);
}

TEST(ChimeOptionsForm, AHiddenButtonActsOnItsControlOfThePageShown) {
  EXPECT_EQ(hidden_button_target(501, ChimeTab::general), 103);
  EXPECT_EQ(hidden_button_target(502, ChimeTab::general), 105);
  EXPECT_EQ(hidden_button_target(502, ChimeTab::quarters), 209);
  EXPECT_EQ(hidden_button_target(502, ChimeTab::hours), 309);
  EXPECT_EQ(hidden_button_target(504, ChimeTab::quarters), 206);
  EXPECT_EQ(hidden_button_target(505, ChimeTab::hours), 306);
  EXPECT_EQ(hidden_button_target(506, ChimeTab::hours), 314);
  EXPECT_EQ(hidden_button_target(508, ChimeTab::quarters), 207);
  EXPECT_EQ(hidden_button_target(509, ChimeTab::hours), 318);
  // Where the page has no such control, the letter does nothing.
  EXPECT_EQ(hidden_button_target(504, ChimeTab::hours), std::nullopt);
  EXPECT_EQ(hidden_button_target(503, ChimeTab::general), std::nullopt);
  EXPECT_EQ(hidden_button_target(501, ChimeTab::download), std::nullopt);
  EXPECT_EQ(hidden_button_target(510, ChimeTab::quarters), std::nullopt);
}

TEST(ChimeOptionsForm, ListsHoldTheChoicesInTheOrderOfTheirValues) {
  const std::vector<std::string> strikes = hour_strike_items();
  ASSERT_EQ(strikes.size(), 26u);
  EXPECT_EQ(strikes[0], "aucun");
  EXPECT_EQ(strikes[1], "chaque élément correspond à son heure");
  EXPECT_EQ(strikes[13], "répéter selon l'heure (12)");  // mode 13 strikes modulo 12
  EXPECT_EQ(strikes[25], "répéter selon l'heure (24)");
  EXPECT_EQ(quarter_cycle_items()[2], "aux demi-heure");
  EXPECT_EQ(hour_random_items()[2], "à chaque cou");
  // The time lists: a quarter list item for each quarter, a minute list item for each minute.
  EXPECT_EQ(FillTimeList(1)[static_cast<std::size_t>(quarter_item_of(2245))], "22:45");
  EXPECT_EQ(quarter_item_of(2250), quarter_item_of(2245));
  EXPECT_EQ(time_of_quarter_item(quarter_item_of(600)), 600);
  EXPECT_EQ(time_of_quarter_item(95), 2345);
  EXPECT_EQ(FillTimeList(0)[static_cast<std::size_t>(minute_item_of(1359))], "13:59");
  EXPECT_EQ(time_of_minute_item(minute_item_of(1359)), 1359);
  EXPECT_EQ(time_of_minute_item(5000), 2359);
}

TEST(ChimeOptionsForm, TypedValuesStayWithinWhatAProfileHolds) {
  const ChimeEntry entry{"big\\q1.ogg", 100, 0, 0};
  const ChimeEntry typed = with_typed_values(entry, {"40", "-30", "1500"});
  EXPECT_EQ(typed.file, "big\\q1.ogg");
  EXPECT_EQ(typed.volume, 40);
  EXPECT_EQ(typed.balance, -30);
  EXPECT_EQ(typed.duration, 1500);
  const ChimeEntry wild = with_typed_values(entry, {"250", "-", "99999999999999999999"});
  EXPECT_EQ(wild.volume, 100);
  EXPECT_EQ(wild.balance, 0);
  EXPECT_EQ(wild.duration, 32767);  // stored in 16 bits
  EXPECT_EQ(with_typed_values(entry, {"", "-400", ""}).balance, -100);
}

TEST(ChimeOptionsForm, TheFormComesFromTheSettingsAndGoesBack) {
  Settings settings = default_settings(45000, false);
  settings.chimes_active = 1;
  settings.chime_profile = "Big Ben";
  ChimeOptionsForm form = load_chime_options(settings, 1415);
  EXPECT_TRUE(form.active);
  EXPECT_EQ(form.name, "Big Ben");
  EXPECT_EQ(form.test_time, 1415);
  form.active = false;
  form.name = "Coucou";
  store_chime_options(form, settings);
  EXPECT_EQ(settings.chimes_active, 0);
  EXPECT_EQ(settings.chime_profile, "Coucou");
}

class ChimeSounds : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(chimes / "gong");
    write_bytes(chimes / "gong" / "grave.wav", "grave");
    write_bytes(outside.path() / "cloche.ogg", "cloche");
    write_bytes(outside.path() / "coup.mp3", "coup");
  }
  TempFolder program, outside;
  fs::path chimes = chime_folder(program.path());
};

TEST_F(ChimeSounds, SoundsFromOutsideAreCopiedIntoTheProfilesFolder) {
  ChimeOptionsForm form;
  form.name = "maison";
  ScriptedPrompts prompts;
  const std::vector<std::string> chosen = {(outside.path() / "cloche.ogg").string(),
                                           (outside.path() / "coup.mp3").string()};
  EXPECT_EQ(add_sounds(form, EntryList::quarters, chosen, chimes, prompts), 2);
  ASSERT_EQ(form.profile.quarters.size(), 2u);
  EXPECT_EQ(form.profile.quarters[0].file, "maison\\cloche.ogg");
  EXPECT_EQ(form.profile.quarters[1].file, "maison\\coup.mp3");
  EXPECT_EQ(form.profile.quarters[1].volume, 100);
  EXPECT_EQ(form.profile.quarters[1].balance, 0);
  EXPECT_EQ(form.profile.quarters[1].duration, 0);
  EXPECT_EQ(read_bytes(chimes / "maison" / "coup.mp3"), "coup");
  EXPECT_TRUE(form.modified);
  EXPECT_TRUE(prompts.questions.empty());
  // The copies play from inside the chime folder.
  const auto playable = playable_profile(form.profile, chimes);
  ASSERT_TRUE(playable);
  EXPECT_EQ(playable->quarters[0].file, (chimes / "maison" / "cloche.ogg").string());
}

TEST_F(ChimeSounds, ASoundOfTheChimeFolderIsTakenInPlaceAndItsFolderMayNameTheProfile) {
  ChimeOptionsForm form;
  form.name = "maison";
  ScriptedPrompts yes({true});
  const std::string grave = (chimes / "gong" / "grave.wav").string();
  EXPECT_EQ(add_sounds(form, EntryList::hours, {grave, grave}, chimes, yes), 2);
  EXPECT_EQ(yes.questions, std::vector<std::string>{"Voulez-vous faire correspondre le "
                                                    "sous-dossier gong au champ du profile?"})
      << "asked once for the folder";
  EXPECT_EQ(form.name, "gong");
  EXPECT_EQ(form.profile.hours[1].file, "gong\\grave.wav");
  EXPECT_FALSE(fs::exists(chimes / "maison"));

  ChimeOptionsForm other;
  other.name = "maison";
  ScriptedPrompts no({false});
  add_sounds(other, EntryList::hours, {grave}, chimes, no);
  EXPECT_EQ(other.name, "maison");
  EXPECT_EQ(other.profile.hours[0].file, "gong\\grave.wav");
}

TEST_F(ChimeSounds, ASoundThatCannotBeAddedIsToldAndLeavesTheProfileAsItWas) {
  ChimeOptionsForm form;
  form.name = "../ailleurs";  // no folder of the chime folder
  ScriptedPrompts prompts;
  EXPECT_EQ(add_sounds(form, EntryList::quarters, {(outside.path() / "cloche.ogg").string()},
                       chimes, prompts),
            0);
  EXPECT_FALSE(form.modified);
  EXPECT_TRUE(form.profile.quarters.empty());
  ASSERT_EQ(prompts.notices.size(), 1u);
  EXPECT_TRUE(prompts.notices[0].starts_with("impossible d'ajouter le fichier "));
  // A profile naming a file outside the chime folder is not played.
  form.profile.hours = {{"..\\..\\secret.wav", 100, 0, 0}};
  EXPECT_FALSE(playable_profile(form.profile, chimes));
}

TEST_F(ChimeSounds, AModifiedProfileIsSavedOnYesAndAnEmptyNameKeepsTheUserOnIt) {
  ChimeOptionsForm form;
  form.modified = true;
  ScriptedPrompts no({false});
  EXPECT_TRUE(offer_to_save(form, chimes, "Voulez-vous enregistrer le profile modifié?", no));
  EXPECT_EQ(no.questions, std::vector<std::string>{"Voulez-vous enregistrer le profile modifié?"});

  ScriptedPrompts yes({true});
  EXPECT_FALSE(offer_to_save(form, chimes, "?", yes)) << "no name to save under";
  EXPECT_EQ(yes.notices,
            std::vector<std::string>{"Le champ du profile est vide. Veuillez le remplir."});

  form.name = "gong";
  form.profile.quarter_cycle = 3;
  ScriptedPrompts save({true});
  EXPECT_TRUE(offer_to_save(form, chimes, "?", save));
  EXPECT_FALSE(form.modified);
  EXPECT_EQ(read_bytes(chimes / "gong.car"), write_chime_profile(form.profile));

  // An unmodified profile asks nothing.
  ScriptedPrompts silent;
  EXPECT_TRUE(offer_to_save(form, chimes, "?", silent));
  EXPECT_TRUE(silent.questions.empty());
}

TEST_F(ChimeSounds, DeletingAProfileMayTakeItsSoundFolderToo) {
  write_bytes(chimes / "gong.car", write_chime_profile({}));
  ScriptedPrompts keep_folder({true, false});
  EXPECT_TRUE(delete_profile("gong", chimes, keep_folder));
  EXPECT_FALSE(fs::exists(chimes / "gong.car"));
  EXPECT_TRUE(fs::exists(chimes / "gong" / "grave.wav"));
  EXPECT_EQ(keep_folder.notices, std::vector<std::string>{"Le profile est supprimé"});

  write_bytes(chimes / "gong.car", write_chime_profile({}));
  ScriptedPrompts all({true, true});
  EXPECT_TRUE(delete_profile("gong", chimes, all));
  EXPECT_FALSE(fs::exists(chimes / "gong"));
  EXPECT_EQ(all.questions[1],
            "Supprimer aussi le dossier correspondant ainsi que son contenu?\rNotez que cela "
            "invalidera les autres profiles qui s'y ratachent et les supprimera également.");

  ScriptedPrompts none;
  EXPECT_FALSE(delete_profile("gong", chimes, none));
  EXPECT_EQ(none.notices, std::vector<std::string>{"Ce profile est inexistant."});
  EXPECT_FALSE(delete_profile("../gong", chimes, none));
}

}  // namespace
}  // namespace tavelo
