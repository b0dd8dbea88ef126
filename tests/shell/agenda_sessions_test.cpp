// The whole program in scripted sessions, run in this process so that the ThreadSanitizer build
// watches its threads too: the quarter chimes of the hidden agenda, and a planning shared while
// the agenda runs, which arrives at its minute and rings when it is due.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <thread>

#include "alarms/chime_profile.hpp"
#include "exchange/sharing.hpp"
#include "planning/calendar.hpp"
#include "planning/occurrences.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"
#include "platform/portable/curl_network.hpp"
#include "platform/services.hpp"
#include "platform/sound_decoders.hpp"
#include "shell/agenda_program.hpp"
#include "shell/startup.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/script_runner.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/sharing_rows.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {
namespace {

// Monday 7 December 2026: every session starts at 10:00 and closes the calendar at once, which
// leaves the agenda hidden behind its icon.
const int kToday = daynumber(2026, 12, 7);
constexpr std::string_view kHiddenAtTen = "now 2026-12-07 10:00\nwait 300ms\nclose\n";

// A short tone of one pitch, as the sounds of a chime profile are.
void write_tone(const fs::path& file, double frequency) {
  constexpr int kRate = 22050;
  Pcm tone{kRate, 1, {}};
  for (int i = 0; i < kRate / 10; ++i) {
    tone.samples.push_back(
        static_cast<std::int16_t>(8000 * std::sin(2 * std::numbers::pi * frequency * i / kRate)));
  }
  ASSERT_TRUE(write_wav(file, tone));
}

// One user's program folder, the program run in this process on the session's backends.
class AgendaFolder {
 public:
  explicit AgendaFolder(const std::string& identifier) {
    write_bytes(folder() / kAccessMarker, "");
    fs::create_directories(chime_folder(folder()));
    fs::create_directories(planning_folder(folder()));
    runner_.load_dialog_library(TAVELO_PARLON_LIBRARY);
    apply_zero_value_defaults(settings_);
    settings_.journal_folder = (folder() / "journal").string();
    settings_.update_check = 1;  // no maker's server here
    settings_.background_mode = 1;
    settings_.management_hour = 23;
    settings_.management_minute = 59;
    settings_.forewarning_hour = 255;
    settings_.own_identifier = identifier;
  }

  fs::path folder() const { return runner_.folder(); }
  fs::path rdv() const { return planning_folder(folder()); }
  Settings& settings() { return settings_; }

  // This user's row for another, whose files go through an FTP relay.
  void relays_to(const std::string& identifier, const fs::path& shared, int port) {
    SharingRow row = folder_row(identifier, shared);
    relay_through(row, port);
    settings_.sharing_table.push_back(row);
    settings_.import_allowed = settings_.export_allowed = 1;
  }

  // The program started with no argument, its settings saved first; `beside` runs on the
  // session's thread before the program starts, and what it gives runs after its end.
  ScriptRun session(std::string_view script,
                    const std::function<std::function<void()>()>& beside = {}) {
    EXPECT_TRUE(savesettings(folder(), settings_, kToday));
    return runner_.run(script, [&] {
      const std::function<void()> after = beside ? beside() : std::function<void()>{};
      CurlNetwork network(quick_network_options());
      const int code = RunAgendaProgram(folder(), {}, network);
      if (after) after();
      return code;
    });
  }

 private:
  ScriptRunner runner_;
  Settings settings_ = default_settings(kToday, false);
};

// The session's lines said at a time of day, "HH:MM:SS" or a prefix of it.
std::vector<std::string> lines_at(const ScriptRun& run, std::string_view time) {
  std::vector<std::string> found;
  for (const std::string& stamped : run.stamped) {
    if (stamped.starts_with(time)) found.push_back(stamped.substr(13));
  }
  return found;
}

bool has_line(const std::vector<std::string>& lines, std::string_view line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(AgendaSessions, TheHiddenAgendaChimesEveryQuarterAndTheHourWithIt) {
  AgendaFolder agenda("");
  const fs::path gong = chime_folder(agenda.folder()) / "gong";
  fs::create_directories(gong);
  write_tone(gong / "quart.wav", 440);
  write_tone(gong / "heure.wav", 220);
  ChimeProfile profile;
  profile.quarter_cycle = 3;
  profile.hour_strike_mode = 1;
  profile.quarters = {{"gong\\quart.wav", 100, 0, 200}};
  profile.hours = {{"gong\\heure.wav", 100, 0, 300}};
  write_bytes(chime_folder(agenda.folder()) / "gong.car", write_chime_profile(profile));
  agenda.settings().chimes_active = 1;
  agenda.settings().chime_profile = "gong";
  // A planning tomorrow keeps the agenda running.
  Planning tomorrow;
  tomorrow.subject = "demain";
  write_bytes(agenda.rdv() / planning_base_name(kToday + 1, "09:00"), write_planning(tomorrow));

  const ScriptRun run = agenda.session(std::string(kHiddenAtTen) + "wait 61m\n");
  const std::string quarter = "ogg \"" + (gong / "quart.wav").string() + "\"";
  const std::string hour = "ogg \"" + (gong / "heure.wav").string() + "\"";
  // The agenda announces the time as it starts, then chimes every quarter.
  for (const char* time : {"10:00:00", "10:15:00", "10:30:00", "10:45:00", "11:00:00"}) {
    EXPECT_TRUE(has_line(lines_at(run, time), quarter)) << time << "\n" << run.text();
  }
  EXPECT_TRUE(has_line(lines_at(run, "10:00:00"), hour)) << run.text();
  EXPECT_TRUE(has_line(lines_at(run, "11:00:00"), hour)) << run.text();
  EXPECT_EQ(run.count(quarter), 5) << run.text();
  EXPECT_EQ(run.count(hour), 2) << run.text();
}

TEST(AgendaSessions, APlanningSharedWhileTheAgendaRunsArrivesAtItsMinuteAndRingsWhenDue) {
  TempFolder home, log, outbox, inbox;
  fs::create_directories(home.path() / "partage");
  const LocalServer relay{"ftp_server.py",
                          {"--user", "relais", "--password", "mdp", "--home", home.path().string(),
                           "--log", (log.path() / "connexions.log").string()}};
  AgendaFolder marc("marc"), paul("paul");
  marc.relays_to("paul", outbox.path(), relay.port());
  paul.relays_to("marc", inbox.path(), relay.port());
  Planning later;
  later.subject = "demain";
  write_bytes(paul.rdv() / planning_base_name(kToday + 1, "09:00"), write_planning(later));

  // Marc shares a planning of 10:10 at 10:05:30, on a thread the session's clock lets sleep
  // until then, while Paul's agenda runs.
  const auto marc_shares = [&] {
    Clock& clock = interface_clock();
    auto sharing = std::make_shared<std::jthread>([&clock, &marc, work = ClockWork(clock)] {
      clock.sleep(std::chrono::seconds(330));
      CurlNetwork network(quick_network_options());
      ScriptedPrompts silent;
      const ExchangeContext context{marc.folder(), marc.settings(), clock, network, silent};
      Planning meeting;
      meeting.subject = "réunion imprévue";
      meeting.type = kTypeOneOff;
      meeting.journal = 1;
      meeting.sharing_identifiers = "paul\t";
      EXPECT_TRUE(
          save_shared_planning(context, marc.rdv() / planning_base_name(kToday, "10:10"), meeting));
    });
    return std::function<void()>([sharing] { sharing->join(); });
  };
  const ScriptRun run = paul.session(std::string(kHiddenAtTen) + "wait 15m\n", marc_shares);

  EXPECT_TRUE(list_files(outbox.path(), "*").empty()) << "relayed";
  EXPECT_TRUE(list_files(home.path() / "partage", "*").empty()) << "fetched from the relay";
  const std::string notice =
      "ask \"Notice de tavelo|Une planification a été reçue de votre réseau.|5\" -> 0";
  const std::string received_at = run.first_time_of(notice);
  EXPECT_GE(received_at, "10:06:00") << run.text();
  EXPECT_LT(received_at, "10:10:00") << run.text();
  EXPECT_EQ(list_plannings(paul.rdv()).size(), 2u);
  const std::string first_ring = run.first_time_of("tone 1760 50");
  EXPECT_GE(first_ring, "10:10:00") << run.text();
  EXPECT_LT(first_ring, "10:10:01") << run.text();
  EXPECT_NE(utf8_from_cp1252(read_bytes(paul.folder() / "journal" / "bilan principal.txt"))
                .find("  sujet:  réunion imprévue\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace tavelo::testing
