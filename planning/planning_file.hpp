#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "planning/records.hpp"
#include "platform/clock.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// The planning carries a note worth showing.
bool has_note(const Planning& planning);

// Reads one planning record into `planning`, which holds the defaults for what is not read:
// `planning_defaults` gives them, from the settings. `version` is the label of the backup
// archive the record comes from, empty for a planning file: older versions lack later fields.
Planning planning_defaults(const Settings& settings);
void read_planning_record(FieldReader& in, Planning& planning, const Settings& settings,
                          std::string_view version);

// The planning record as bytes. Fields missing from a record cut short take their group's
// defaults, partly from the settings; `readerror` tells whether the record was complete.
Planning read_planning(std::string_view record, const Settings& settings, int& readerror);
std::string write_planning(const Planning& planning);

// Loads a planning file. A sound file that no longer exists gives way to the settings' default
// alarm; relative sound files are found from the program folder.
Planning loadplanning(const fs::path& file, const fs::path& program_folder,
                      const Settings& settings, int& readerror);

// The fallback of a loaded planning, for a record already in memory: a sound file that no
// longer exists gives way to the settings' default alarm.
void drop_missing_sound(Planning& planning, const fs::path& program_folder,
                        const Settings& settings);

// A copy of a shared planning on its way to another user's agenda.
struct SharedCopy {
  std::string identifier;  // whose agenda receives it
  std::string file_name;   // "cmd_" + unique identifier + "_" + the planning's file name
  Planning planning;       // the planning without the owner's mail settings
};

// Receives the copies of a saved shared planning and sends them on.
using SendSharedCopies = std::function<void(const std::vector<SharedCopy>&)>;

// Sharing applies when asked, allowed by the settings, the planning names identifiers, and the
// file is neither a deadline end marker nor a deadline.
bool sharing_applies(const fs::path& file, const Planning& planning, const Settings& settings,
                     bool share);

// The identifiers of a planning's sharing text, each followed by a TAB there: the text after
// the last TAB is not an identifier.
std::vector<std::string> sharing_identifiers_of(std::string_view sharing_identifiers);

// The copies of a planning for each identifier it is shared with.
std::vector<SharedCopy> sharedcopies(const fs::path& file, const Planning& planning);

// Writes the planning file in one step; a shared planning first gets its unique identifier and
// its copies go to `send`. False when the file cannot be written.
bool saveplanning(const fs::path& file, Planning& planning, const Settings& settings,
                  const Clock& clock, bool share, const SendSharedCopies& send = {});

// Where planning files are read and written.
struct PlanningStore {
  fs::path program_folder;
  const Settings& settings;
  const Clock& clock;
  bool share = false;       // saveplanning's share argument
  SendSharedCopies send{};  // receives the copies of shared plannings

  fs::path folder() const;
  bool save(const std::string& name, Planning& planning) const;
};

}  // namespace tavelo
