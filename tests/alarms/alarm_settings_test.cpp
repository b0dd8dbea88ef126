#include "alarms/alarm_settings.hpp"

#include <gtest/gtest.h>

#include "alarms/alarm_profile.hpp"
#include "platform/files.hpp"
#include "platform/sound_decoders.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::write_bytes;

void write_short_wave(const fs::path& file) {
  ASSERT_TRUE(write_wav(file, Pcm{8000, 1, std::vector<std::int16_t>(800, 1000)}));
}

TEST(AlarmForm, TypedNumbersAreKeptWithinWhatAnAlarmHolds) {
  AlarmForm form = alarm_form({3, "/sons/gong.wav", 880, 100, -5, 0, 2, 3});
  EXPECT_EQ(form.pause, "-5");
  EXPECT_EQ(form.wave_repetitions, "3");
  EXPECT_EQ(alarm_of_form(form).pause, -5);
  form.pause = "99999";
  form.frequency = "40000";
  form.length = "abc";
  form.repetitions = "-3";
  EXPECT_EQ(alarm_of_form(form).pause, 32000);
  EXPECT_EQ(alarm_of_form(form).frequency, 32000);
  EXPECT_EQ(alarm_of_form(form).length, 0);
  EXPECT_EQ(alarm_of_form(form).repetitions, 0);
  form.pause = "-99999";
  EXPECT_EQ(alarm_of_form(form).pause, -32000);
  EXPECT_EQ(alarm_of_form(form).sound_file, "/sons/gong.wav");
  EXPECT_EQ(alarm_to_test(alarm_of_form(form)).repetitions, 1);
}

TEST(AlarmForm, AnUndecodableSoundIsToldBeforeItRings) {
  TempFolder program;
  write_short_wave(program.path() / "bon.wav");
  write_bytes(program.path() / "abime.wav", "RIFF n'importe quoi");
  EXPECT_FALSE(unplayable_sound_message(program.path(), {2, "bon.wav", 0, 0, 50, 1, 0, 0}));
  EXPECT_FALSE(unplayable_sound_message(program.path(), {1, "abime.wav", 880, 50, 50, 1, 0, 0}))
      << "tones only: the file is not played";
  EXPECT_FALSE(unplayable_sound_message(program.path(), silent_alarm()));
  EXPECT_EQ(unplayable_sound_message(program.path(), {3, "abime.wav", 880, 50, 50, 1, 0, 1}),
            "Attention...\rLe fichier son suivant ne peut pas être lu:\rabime.wav");
  EXPECT_TRUE(unplayable_sound_message(program.path(), {2, "absent.ogg", 0, 0, 50, 1, 0, 0}));
}

struct NamedAlarms : ::testing::Test {
  TempFolder program;
  fs::path rdv = program.path() / "rdv";
  AlarmProfile tones{1, "", 880, 100, 200, 3, 0, 0};

  std::vector<std::string> files_around() {
    std::vector<std::string> names = list_files(program.path(), "*");
    for (const std::string& name : list_files(rdv, "*")) names.push_back("rdv/" + name);
    return names;
  }
};

TEST_F(NamedAlarms, SavingReplacingAndDeleting) {
  ScriptedPrompts prompts({false, true, true});
  EXPECT_TRUE(save_named_alarm(program.path(), "réveil", kCurrentAlarmItem, tones, prompts));
  AlarmProfile read;
  ASSERT_TRUE(LoadAlarmProfile(rdv / path_of("réveil.alm"), read));
  EXPECT_EQ(read.frequency, 880);

  AlarmProfile louder = tones;
  louder.frequency = 1760;
  EXPECT_FALSE(save_named_alarm(program.path(), "réveil", kCurrentAlarmItem, louder, prompts));
  ASSERT_TRUE(LoadAlarmProfile(rdv / path_of("réveil.alm"), read));
  EXPECT_EQ(read.frequency, 880) << "no to the question keeps the file";
  EXPECT_TRUE(save_named_alarm(program.path(), "réveil", kCurrentAlarmItem, louder, prompts));
  ASSERT_TRUE(LoadAlarmProfile(rdv / path_of("réveil.alm"), read));
  EXPECT_EQ(read.frequency, 1760);
  EXPECT_EQ(list_named_alarms(program.path()), std::vector<std::string>{"réveil"});

  EXPECT_FALSE(delete_named_alarm(program.path(), "absente", kCurrentAlarmItem, prompts));
  EXPECT_TRUE(delete_named_alarm(program.path(), "réveil", kCurrentAlarmItem, prompts));
  EXPECT_TRUE(list_named_alarms(program.path()).empty());
  EXPECT_EQ(prompts.questions, (std::vector<std::string>{"Voulez-vous remplacer le fichier?",
                                                         "Voulez-vous remplacer le fichier?",
                                                         "Voulez-vous supprimer cette alarme?"}));
  EXPECT_EQ(prompts.notices, std::vector<std::string>{
                                 "Tavelo\rCette alarme n'a pas été enregistré dans la liste..."});
}

TEST_F(NamedAlarms, ChoosingInTheList) {
  fs::create_directories(rdv);
  ASSERT_TRUE(SaveAlarmProfile(rdv / "douce.alm", tones));
  const AlarmProfile opened{2, "/sons/gong.wav", 0, 0, 2000, 10, 0, 0};
  const AlarmProfile working{1, "", 1000, 10, 10, 1, 0, 0};
  const fs::path folder = program.path();
  EXPECT_EQ(alarm_of_list_item(folder, 1, "douce", working, opened, false).frequency, 880);
  EXPECT_EQ(alarm_of_list_item(folder, 0, kCurrentAlarmItem, working, opened, false).sound_file,
            "/sons/gong.wav");
  EXPECT_EQ(alarm_of_list_item(folder, 0, kNoAlarmItem, working, opened, true).repetitions, 1);
  EXPECT_EQ(alarm_of_list_item(folder, 2, "partie", working, opened, false).frequency, 1000);
}

TEST_F(NamedAlarms, NamesThatAreNoFileOfTheFolderAreRefused) {
  ScriptedPrompts prompts;
  for (const char* name : {"../x", "a/b", "a\\b", "c:x", "", "  ", kCurrentAlarmItem}) {
    EXPECT_FALSE(save_named_alarm(program.path(), name, kCurrentAlarmItem, tones, prompts)) << name;
    EXPECT_FALSE(delete_named_alarm(program.path(), name, kCurrentAlarmItem, prompts)) << name;
  }
  EXPECT_TRUE(files_around().empty());
  ASSERT_EQ(prompts.notices.size(), 14u);
  EXPECT_EQ(prompts.notices[0],
            "Attention...\rLe nom d'une alarme ne peut être vide ni contenir \"/\", \"\\\" ou "
            "\":\".");
  EXPECT_EQ(prompts.notices[13], kNameMustChange);
  EXPECT_FALSE(save_named_alarm(program.path(), kNoAlarmItem, kNoAlarmItem, tones, prompts));
}

TEST_F(NamedAlarms, AnAlarmWhoseSoundHasGoneIsNotListedButKept) {
  fs::create_directories(rdv);
  write_short_wave(program.path() / "cloche.wav");
  ASSERT_TRUE(SaveAlarmProfile(rdv / "a-tones.alm", tones));
  ASSERT_TRUE(SaveAlarmProfile(rdv / "b-cloche.alm", {2, "cloche.wav", 0, 0, 50, 1, 0, 0}));
  ASSERT_TRUE(SaveAlarmProfile(rdv / "c-parti.alm", {2, "/nulle/part.wav", 0, 0, 50, 1, 0, 0}));
  ASSERT_TRUE(SaveAlarmProfile(rdv / "d-muet.alm", silent_alarm()));
  ASSERT_TRUE(
      SaveAlarmProfile(rdv / "e-tones-parti.alm", {1, "/nulle/part.wav", 1, 1, 1, 1, 0, 0}));
  EXPECT_EQ(list_named_alarms(program.path()),
            (std::vector<std::string>{"a-tones", "b-cloche", "d-muet", "e-tones-parti"}));
  EXPECT_TRUE(file_exists(rdv / "c-parti.alm"));
}

TEST_F(NamedAlarms, ImportMakesOneSoundAlarmPerWaveFileAndNamesClashesApart) {
  const fs::path sounds = program.path() / "sons";
  fs::create_directories(sounds);
  write_short_wave(sounds / "gong.wav");
  write_short_wave(sounds / "Pluie.WAV");
  write_bytes(sounds / "chant.mp3", "ID3");
  fs::create_directories(rdv);
  ASSERT_TRUE(SaveAlarmProfile(rdv / "gong.alm", tones));
  AlarmProfile editing{3, "", 440, 70, 80, 90, 4, 5};
  ScriptedPrompts prompts;
  EXPECT_EQ(import_wave_folder(program.path(), sounds, editing, prompts), 2);
  EXPECT_EQ(import_wave_folder(program.path(), sounds, editing, prompts), 2);
  EXPECT_EQ(list_named_alarms(program.path()),
            (std::vector<std::string>{"Pluie", "Pluie(1)", "gong", "gong(1)", "gong(2)"}));
  AlarmProfile imported;
  ASSERT_TRUE(LoadAlarmProfile(rdv / "gong(1).alm", imported));
  EXPECT_EQ(imported.kind, 2);
  EXPECT_EQ(imported.sound_file, (sounds / "gong.wav").string());
  EXPECT_EQ(imported.pause, 2000);
  EXPECT_EQ(imported.repetitions, 10);
  EXPECT_EQ(imported.frequency, 440);
  EXPECT_EQ(imported.wave_repetitions, 5);
  ASSERT_TRUE(LoadAlarmProfile(rdv / "gong.alm", imported));
  EXPECT_EQ(imported.kind, 1) << "the alarm already named so is kept";
  EXPECT_TRUE(prompts.notices.empty());

  fs::remove(sounds / "gong.wav");
  fs::remove(sounds / "Pluie.WAV");
  EXPECT_EQ(import_wave_folder(program.path(), sounds, editing, prompts), 0);
  EXPECT_EQ(prompts.notices,
            std::vector<std::string>{"Tavelo\rAucun fichier son n'a été trouvé dans le dossier "
                                     "spécifié..."});
}

TEST(NightMode, TheWindowMayWrapPastMidnight) {
  Settings s;
  store_night_form({true, 22 * 60, 7 * 60, ""}, s);
  EXPECT_EQ(s.night_mode, (std::array<int, 4>{22, 0, 7, 0}));
  const auto at = [](int hour, int minute) { return LocalTime{2026, 3, 6, hour, minute, 0, 0}; };
  EXPECT_TRUE(IsNightTime(s, at(23, 30)));
  EXPECT_TRUE(IsNightTime(s, at(6, 59)));
  EXPECT_TRUE(IsNightTime(s, at(22, 0)));
  EXPECT_FALSE(IsNightTime(s, at(7, 0)));
  EXPECT_FALSE(IsNightTime(s, at(21, 59)));

  store_night_form({true, 13 * 60, 14 * 60 + 30, ""}, s);
  EXPECT_TRUE(IsNightTime(s, at(14, 29)));
  EXPECT_FALSE(IsNightTime(s, at(14, 30)));
  EXPECT_FALSE(IsNightTime(s, at(23, 0)));
  s.night_mode_active = 0;
  EXPECT_FALSE(IsNightTime(s, at(14, 0)));
  store_night_form({true, 600, 600, ""}, s);
  for (int hour = 0; hour < 24; ++hour) EXPECT_FALSE(IsNightTime(s, at(hour, 0)));

  const NightForm shown = night_form(s);
  EXPECT_TRUE(shown.active);
  EXPECT_EQ(shown.start_time, 600);
}

TEST(NightMode, TheNamedNightAlarmOrSilence) {
  TempFolder program;
  Settings s;
  const AlarmProfile silent = silent_alarm();
  EXPECT_EQ(night_alarm(program.path(), s).kind, silent.kind);
  EXPECT_EQ(night_alarm(program.path(), s).repetitions, 1);
  s.night_alarm = "douce";
  EXPECT_EQ(night_alarm(program.path(), s).sound_file, "") << "missing: silence";
  fs::create_directories(program.path() / "rdv");
  ASSERT_TRUE(
      SaveAlarmProfile(program.path() / "rdv" / "douce.alm", {1, "", 440, 30, 900, 2, 0, 0}));
  EXPECT_EQ(night_alarm(program.path(), s).frequency, 440);
  s.night_alarm = "../douce";
  EXPECT_EQ(night_alarm(program.path(), s).kind, 2);
}

}  // namespace
}  // namespace tavelo
