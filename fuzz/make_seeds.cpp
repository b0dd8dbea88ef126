// Writes the first inputs of every fuzz target, made by the program's own writers as the tests
// make them: make_seeds FOLDER writes FOLDER/<target>/<seed>.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "alarms/alarm_profile.hpp"
#include "alarms/brieflz.hpp"
#include "alarms/chime_archive.hpp"
#include "alarms/chime_profile.hpp"
#include "alarms/little_endian.hpp"
#include "exchange/exchange_file.hpp"
#include "fuzz/fuzz_support.hpp"
#include "maintenance/backup_archive.hpp"
#include "planning/categories.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/record_io.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "tests/support/sample_records.hpp"

namespace {

using namespace tavelo;
using testing::rich_planning;
namespace fs = std::filesystem;

Planning simple_planning() {
  Planning p;
  p.subject = "[urgent] Dentiste";
  return p;
}

Settings rich_settings() {
  Settings s = default_settings(45000, true);
  apply_zero_value_defaults(s);
  s.journal_folder = "C:\\Journal été";
  s.default_alarm = {3, "cloche.wav", 440, 80, 90, 7, 2, 3};
  s.night_mode = {22, 30, 6, 45};
  s.default_spoken = {1, "2_80_-3_4", "Bonjour, ", 2, 10};
  s.default_mail = {"smtp", "u", "p", 587, "a@b", "r@b", "objet", 1, 1};
  s.sharing_table = {
      SharingRow{{"paul", "\\\\srv\\partage", "ftp.b", "u", "p", "/x", "21", "1", "1"}}};
  s.own_identifier = "moi";
  s.import_allowed = 1;
  s.export_allowed = 1;
  s.chimes_active = 1;
  s.chime_profile = "big";
  return s;
}

ChimeProfile chime_profile() {
  ChimeProfile profile;
  profile.hour_strike_mode = 13;
  profile.quarter_cycle = 3;
  profile.hours = {{"big\\heure.wav", 80, 0, 1000}};
  profile.quarters = {{"big\\q.ogg", 100, 20, 0}, {"big\\heure.wav", 60, -30, 0}};
  return profile;
}

std::string tone(std::size_t n) {
  std::string out;
  for (std::size_t i = 0; out.size() < n; ++i) out += static_cast<char>((i * 7) % 50);
  return out;
}

std::string chime_archive() {
  return write_archive({{"big.car", write_chime_profile(chime_profile())},
                        {"big\\heure.wav", tone(3000)},
                        {"big\\q.ogg", "OggS not very compressible"}});
}

// A program folder holding one of everything a backup carries, chimes included.
std::string backup_archive() {
  fuzz::Sandbox sandbox;
  const fs::path program = sandbox.program();
  const fs::path rdv = planning_folder(program);
  fs::create_directories(rdv);
  write_file_atomically(rdv / "45123 09-30.gnd", write_planning(rich_planning()));
  write_file_atomically(rdv / "travail.cat", write_planning(simple_planning()));
  write_file_atomically(program / kFilterFile, write_filter({"loisirs", "travail"}));
  SaveAlarmProfile(rdv / "nuit.alm", {2, "", 1, 2, 3, 4, 5, 6});
  const fs::path chimes = chime_folder(program);
  fs::create_directories(chimes / "big");
  write_file_atomically(chimes / "big" / "heure.wav", tone(3000));
  write_file_atomically(chimes / "big" / "q.ogg", "OggS");
  write_file_atomically(chimes / "big.car", write_chime_profile(chime_profile()));
  fuzz::YesPrompts prompts;
  return writearchive(program, rich_settings(), true, prompts);
}

std::string exchange_file() {
  ExchangeContent content;
  Planning ending = rich_planning();
  ending.mail.subject = "endofplan";
  content.plannings = {{"45123 09-30.gnd", ending}, {"45124 14-00.gnd", simple_planning()}};
  content.categories = {{"travail.cat", rich_planning()}};
  content.filter = std::vector<std::string>{"loisirs", "travail"};
  return write_exchange_file(content);
}

std::string packed_tone() {
  const std::string data = tone(2000);
  std::string out;
  put_le(out, data.size(), 3);
  return out + blz_pack(data);
}

std::string voices() {
  RecordWriter out;
  print8(out, 200);
  print16(out, -2);
  print16p(out, 65535);
  print32(out, 70000);
  print32p(out, 4000000000);
  printstring(out, "texte été");
  printvoice(out, "0_100_-10_10");
  return out.bytes;
}

struct Seed {
  const char* target;
  const char* name;
  std::string bytes;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_seeds FOLDER\n";
    return 2;
  }
  const std::string planning = write_planning(rich_planning());
  const Seed seeds[] = {
      {"planning_file", "rich.gnd", planning},
      {"planning_file", "simple.gnd", write_planning(simple_planning())},
      {"planning_file", "cut.gnd", planning.substr(0, planning.size() / 2)},
      {"settings_file", "agenda.bin", write_settings(rich_settings(), 45000)},
      {"field_chain", "time", std::string("\x00:12:30", 7)},
      {"field_chain", "name", "\x02 -.45123 09-30.gnda;1700000000"},
      {"field_chain", "fields", voices()},
      {"category_filter", "cat.bin", write_filter({"loisirs", "travail", "été"})},
      {"alarm_profile", "mixte.alm",
       write_alarm_profile({3, "sons\\cloche.wav", 440, 80, -5, 7, 3, 2})},
      {"chime_profile", "big.car", write_chime_profile(chime_profile())},
      {"brieflz", "tone", packed_tone()},
      {"chime_archive", "big.crx", chime_archive()},
      {"chime_catalogue", "carlist.txt", "Big Ben\r\nWestminster\r\nCoucou\r\n"},
      {"backup_archive", "sauvegarde.agb", backup_archive()},
      {"exchange_file", "export.txa", exchange_file()},
      {"command_file", "new", "cmd_paul_1700000000_42_45130 10-00.gnd\n" + planning},
      {"command_file", "deletion", "cmd_paul_1700000000_42_45123 09-30.gnd\n"},
      {"session_script", "session.txt",
       "# a session\nnow 2026-12-07 09:00\nwait 500ms\nkey control+f\ntype Réunion\n"
       "select 10 \"lundi\"\nmark 2 1\ncheck 3\nmenu 34\nanswer /sons/a.wav|/sons/b.ogg\n"
       "click ok\nclose\n"},
      {"update_index", "agmajidx.txt",
       "version: 6.41\r\nle 1er mars 2026\r\n2\r\n/tavelo\r\n6.41\r\ntavelo\r\n/libparlon.so\r\n"
       "6.40\r\nlibparlon.so\r\n"},
  };
  for (const Seed& seed : seeds) {
    const fs::path folder = fs::path(argv[1]) / seed.target;
    fs::create_directories(folder);
    std::ofstream(folder / seed.name, std::ios::binary) << seed.bytes;
  }
  return 0;
}
