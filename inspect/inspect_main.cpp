// tavelo-inspect FILE: prints a record file of the agenda as JSON, one key per field, so that a
// person helping a user can look into a damaged file. Fields a file cut short lacks show the
// defaults the program would use, and "readerror" tells whether the record was complete.
#include <iostream>

#include "alarms/alarm_profile.hpp"
#include "alarms/chime_profile.hpp"
#include "exchange/exchange_file.hpp"
#include "inspect/record_json.hpp"
#include "maintenance/backup_archive.hpp"
#include "planning/calendar.hpp"
#include "planning/planning_file.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/system_clock.hpp"

namespace {

using namespace tavelo;
using Json = nlohmann::ordered_json;

bool contains(const std::string& name, const char* part) {
  return name.find(part) != std::string::npos;
}

// The settings of the program folder the file belongs to, for the defaults of plannings.
Settings settings_near(const fs::path& file, int today) {
  Settings settings = default_settings(today, false);
  const fs::path folder = fs::absolute(file).parent_path().parent_path();
  if (const auto record = read_file(folder / kSettingsFile)) read_settings(*record, settings);
  apply_zero_value_defaults(settings);
  return settings;
}

// What a backup archive holds: names and counts, and the settings it would restore.
Json backup_summary(std::string_view record, const Settings& settings) {
  const BackupContents c = parse_archive(record, settings);
  const auto names = [](const std::vector<BackupContents::Named>& list) {
    Json out = Json::array();
    for (const auto& named : list) out.push_back(named.name);
    return out;
  };
  Json alarms = Json::array();
  for (const auto& named : c.alarms) alarms.push_back(named.name);
  return Json{{"kind", "backup"},
              {"version", c.version},
              {"whole", c.whole},
              {"plannings", names(c.plannings)},
              {"category_templates", names(c.templates)},
              {"filter", c.filter ? Json(*c.filter) : Json(nullptr)},
              {"alarms", alarms},
              {"chime_archive_bytes", c.chimes ? c.chimes->size() : 0},
              {"settings", to_json(c.settings)}};
}

Json summary_of(const std::vector<ExchangeEntry>& entries) {
  Json list = Json::array();
  for (const ExchangeEntry& entry : entries) {
    list.push_back({{"name", entry.name},
                    {"subject", entry.planning.subject},
                    {"type", entry.planning.type},
                    {"category", entry.planning.category},
                    {"note", entry.planning.note_kind != 0}});
  }
  return list;
}

// An exchange file in short: each planning's name, subject, type and category, the templates,
// the filter, and what the import would refuse.
Json exchange_summary(const std::string& bytes, const Settings& settings) {
  const auto parsed = read_exchange_file(bytes, settings);
  if (!parsed) return Json{{"kind", "exchange"}, {"conforming", false}};
  const ExchangeContent& content = parsed->content;
  return Json{{"kind", "exchange"},
              {"conforming", true},
              {"plannings", summary_of(content.plannings)},
              {"categories", summary_of(content.categories)},
              {"filter", content.filter ? Json(*content.filter) : Json(nullptr)},
              {"refused", parsed->refused}};
}

int inspect(const fs::path& file) {
  const bool exchange = contains(file.filename().string(), ".txa");
  const auto record = read_file(file, exchange ? kExchangeFileLimit : kRecordFileLimit);
  if (!record) {
    std::cerr << "tavelo-inspect: impossible de lire " << file.string() << "\n";
    return 1;
  }
  const int today = todaynumber(SystemClock());
  const std::string name = file.filename().string();
  Json out;
  if (exchange) {
    out = exchange_summary(*record, settings_near(file, today));
  } else if (name == kSettingsFile || name == kSettingsBackup) {
    Settings settings = default_settings(today, false);
    const int readerror = read_settings(*record, settings);
    out = Json{{"kind", "settings"}, {"readerror", readerror}, {"fields", to_json(settings)}};
  } else if (contains(name, ".gnd") || contains(name, ".cat") || contains(name, ".lmt")) {
    int readerror = 0;
    const Planning planning = read_planning(*record, settings_near(file, today), readerror);
    out = Json{{"kind", "planning"}, {"readerror", readerror}, {"fields", to_json(planning)}};
  } else if (contains(name, ".agb")) {
    out = backup_summary(*record, settings_near(file, today));
  } else if (contains(name, ".alm")) {
    AlarmProfile alarm;
    const int readerror = read_alarm_profile(*record, alarm);
    out = Json{{"kind", "alarm"}, {"readerror", readerror}, {"fields", to_json(alarm)}};
  } else if (contains(name, ".car")) {
    ChimeProfile chime;
    const int readerror = read_chime_profile(*record, chime);
    out = Json{{"kind", "chime profile"}, {"readerror", readerror}, {"fields", to_json(chime)}};
  } else {
    std::cerr << "tavelo-inspect: type de fichier inconnu: " << name << "\n";
    return 2;
  }
  std::cout << out.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: tavelo-inspect FICHIER\n";
    return 2;
  }
  return inspect(argv[1]);
}
