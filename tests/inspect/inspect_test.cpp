#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "alarms/alarm_profile.hpp"
#include "alarms/chime_layout.hpp"
#include "alarms/chime_profile.hpp"
#include "exchange/exchange_file.hpp"
#include "maintenance/backup_archive.hpp"
#include "planning/planning_file.hpp"
#include "planning/settings.hpp"
#include "planning/settings_layout.hpp"
#include "tests/support/inspect.hpp"
#include "tests/support/layout_fields.hpp"
#include "tests/support/programs.hpp"
#include "tests/support/record_samples.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::inspect;
using testing::InspectRun;
using testing::TempFolder;
using testing::write_bytes;

class Inspect : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(program.path() / "rdv");
    Settings settings = default_settings(45000, false);
    settings.default_mail.server = "smtp.défaut";
    settings.chime_profile = "Big Ben";
    record = write_settings(settings, 45000);
    write_bytes(program.path() / "agenda.bin", record);
    planning.subject = "Café à 10 h";
    planning.type = 2;
    planning.weekday_ticks = {0, 1, 0, 1, 0, 0, 0};
    planning.mail.server = "smtp.planning";
    write_bytes(program.path() / "rdv" / "45123 09-30.gnd", write_planning(planning));
  }

  TempFolder program;
  std::string record;
  Planning planning;
};

TEST_F(Inspect, PrintsAPlanningAndTheSettingsAsJson) {
  const InspectRun run = inspect(program.path() / "rdv" / "45123 09-30.gnd");
  ASSERT_EQ(run.status, 0) << run.output;
  const auto json = nlohmann::json::parse(run.output);
  EXPECT_EQ(json["kind"], "planning");
  EXPECT_EQ(json["readerror"], 0);
  EXPECT_EQ(json["fields"]["subject"], "Café à 10 h");
  EXPECT_EQ(json["fields"]["weekday_ticks"][3], 1);
  EXPECT_EQ(json["fields"]["mail"]["server"], "smtp.planning");

  const InspectRun settings = inspect(program.path() / "agenda.bin");
  ASSERT_EQ(settings.status, 0) << settings.output;
  const auto fields = nlohmann::json::parse(settings.output)["fields"];
  EXPECT_EQ(fields["chime_profile"], "Big Ben");
  EXPECT_EQ(fields["last_active_day"], 45000);
}

TEST_F(Inspect, AFileCutShortShowsTheDefaultsOfItsProgramFolder) {
  const std::string full = write_planning(planning);
  const auto cut = program.path() / "rdv" / "45123 10-00.gnd";
  write_bytes(cut, full.substr(0, 20));
  const InspectRun run = inspect(cut);
  ASSERT_EQ(run.status, 0) << run.output;
  const auto json = nlohmann::json::parse(run.output);
  EXPECT_EQ(json["readerror"], 4);
  EXPECT_EQ(json["fields"]["subject"], "Café à 10 h");
  EXPECT_EQ(json["fields"]["mail"]["server"], "smtp.défaut");

  write_bytes(program.path() / "agenda.bin", record.substr(0, 9));
  const InspectRun settings = inspect(program.path() / "agenda.bin");
  ASSERT_EQ(settings.status, 0) << settings.output;
  EXPECT_EQ(nlohmann::json::parse(settings.output)["readerror"], 4);

  write_bytes(cut, "");
  EXPECT_EQ(inspect(cut).status, 0);
}

TEST_F(Inspect, PrintsAlarmAndChimeProfiles) {
  write_bytes(program.path() / "rdv" / "nuit.alm",
              write_alarm_profile({3, "cloche.wav", 440, 80, -5, 0, 3, 2}));
  const InspectRun alarm = inspect(program.path() / "rdv" / "nuit.alm");
  ASSERT_EQ(alarm.status, 0) << alarm.output;
  EXPECT_EQ(nlohmann::json::parse(alarm.output)["fields"]["pause"], -5);

  ChimeProfile chime;
  chime.quarters = {{"big\\q.wav", 90, -10, 1500}};
  write_bytes(program.path() / "big.car", write_chime_profile(chime));
  const InspectRun car = inspect(program.path() / "big.car");
  ASSERT_EQ(car.status, 0) << car.output;
  EXPECT_EQ(nlohmann::json::parse(car.output)["fields"]["quarters"][0]["file"], "big\\q.wav");
}

TEST_F(Inspect, SummarisesABackupArchive) {
  testing::ScriptedPrompts prompts;
  Settings settings = default_settings(45000, false);
  settings.own_identifier = "moi";
  write_bytes(program.path() / "s.agb", writearchive(program.path(), settings, false, prompts));
  const InspectRun run = inspect(program.path() / "s.agb");
  ASSERT_EQ(run.status, 0) << run.output;
  const auto json = nlohmann::json::parse(run.output);
  EXPECT_EQ(json["version"], "version: 6.40");
  EXPECT_EQ(json["whole"], true);
  EXPECT_EQ(json["plannings"], nlohmann::json::array({"45123 09-30.gnd"}));
  EXPECT_EQ(json["settings"]["own_identifier"], "moi");
}

TEST_F(Inspect, SummarisesAnExchangeFile) {
  ExchangeContent content;
  content.plannings = {{"45123 09-30.gnd", planning}};
  content.categories = {{"travail.cat", planning}};
  content.filter = std::vector<std::string>{"loisirs"};
  std::string text = write_exchange_file(content);
  text.insert(text.find("[cat"), "45124 09-30.gnd\r\ncoupé\r\n999\r\nendofplan\r\n");
  write_bytes(program.path() / "envoi.txa", text);
  const InspectRun run = inspect(program.path() / "envoi.txa");
  ASSERT_EQ(run.status, 0) << run.output;
  const auto json = nlohmann::json::parse(run.output);
  EXPECT_EQ(json["kind"], "exchange");
  EXPECT_EQ(json["plannings"][0]["subject"], "Café à 10 h");
  EXPECT_EQ(json["plannings"][0]["type"], 2);
  EXPECT_EQ(json["categories"][0]["name"], "travail.cat");
  EXPECT_EQ(json["filter"], nlohmann::json::array({"loisirs"}));
  EXPECT_EQ(json["refused"], nlohmann::json::array({"45124 09-30.gnd"}));

  write_bytes(program.path() / "autre.txa", "[filtre]\r\n");
  EXPECT_EQ(nlohmann::json::parse(inspect(program.path() / "autre.txa").output)["conforming"],
            false);
}

// Every field the layout's table holds is in the JSON, under its keys, with its value.
template <typename Record, typename Rows>
void expect_every_field_shown(const nlohmann::json& fields, const Layout<Record, Rows>& layout,
                              const Walk& walk, const Record& record) {
  for (const auto& field : testing::layout_fields(layout, walk)) {
    const nlohmann::json* node = &fields;
    for (const std::string& key : field.keys) {
      ASSERT_TRUE(node->contains(key)) << field.path();
      node = &(*node)[key];
    }
    EXPECT_EQ(*node, nlohmann::json::parse(field.json(record).dump())) << field.path();
  }
}

TEST_F(Inspect, ShowsEveryFieldOfEachLayoutUnderItsKey) {
  const auto fields_of = [](const std::filesystem::path& file) {
    const InspectRun run = inspect(file);
    EXPECT_EQ(run.status, 0) << run.output;
    return nlohmann::json::parse(run.output)["fields"];
  };
  const Planning sample = testing::planning_sample();
  const auto planning_file = program.path() / "rdv" / "45200 09-30.gnd";
  write_bytes(planning_file, write_planning(sample));
  expect_every_field_shown(fields_of(planning_file), kPlanningLayout, Walk{}, sample);

  const Settings settings = testing::settings_sample();
  const auto settings_file = program.path() / "autre" / "agenda.bin";
  std::filesystem::create_directories(settings_file.parent_path());
  write_bytes(settings_file, write_settings(settings, settings.last_active_day));
  expect_every_field_shown(fields_of(settings_file), kSettingsLayout, Walk{}, settings);

  const AlarmProfile alarm = testing::alarm_sample();
  write_bytes(program.path() / "rdv" / "jour.alm", write_alarm_profile(alarm));
  expect_every_field_shown(fields_of(program.path() / "rdv" / "jour.alm"), kAlarmProfileLayout,
                           kAlarmFileWalk, alarm);

  const ChimeProfile chime = testing::chime_sample();
  write_bytes(program.path() / "w.car", write_chime_profile(chime));
  expect_every_field_shown(fields_of(program.path() / "w.car"), kChimeProfileLayout, Walk{}, chime);
}

TEST_F(Inspect, RefusesWhatItCannotRead) {
  write_bytes(program.path() / "notes.txt", "x");
  EXPECT_EQ(inspect(program.path() / "notes.txt").status, 2);
  const InspectRun missing = inspect(program.path() / "rdv" / "absent.gnd");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("impossible de lire"), std::string::npos);
}

}  // namespace
}  // namespace tavelo
