// Backup archives (".agb"), restored over a program folder that holds one of everything: a
// refused archive changes nothing, and nothing lands outside the program folder. The chime
// block is unpacked within small limits, so that an archive that claims much is cheap to try.
#include "maintenance/backup_archive.hpp"

#include "alarms/alarm_profile.hpp"
#include "alarms/chime_archive.hpp"
#include "alarms/chime_profile.hpp"
#include "fuzz/fuzz_support.hpp"
#include "planning/categories.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"

using namespace tavelo;

namespace {

void fill(const fs::path& program, const Settings& settings) {
  const fs::path rdv = planning_folder(program);
  fs::create_directories(rdv);
  Planning planning;
  planning.subject = "Dentiste";
  write_file_atomically(rdv / "45123 09-30.gnd", write_planning(planning));
  write_file_atomically(rdv / "travail.cat", write_planning(planning));
  write_file_atomically(program / kFilterFile, write_filter({"loisirs"}));
  SaveAlarmProfile(rdv / "nuit.alm", AlarmProfile{});
  fs::create_directories(chime_folder(program) / "big");
  write_file_atomically(chime_folder(program) / "big" / "dong.wav", "RIFF");
  savesettings(program, settings, fuzz::kToday);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Sandbox& sandbox = fuzz::fresh_sandbox();
  const std::string_view bytes = fuzz::bytes_of(data, size);
  const Settings settings = fuzz::working_settings();
  parse_archive(bytes, settings);

  fill(sandbox.program(), settings);
  const fs::path archive = sandbox.root() / "x.agb";
  fuzz::check(write_file_atomically(archive, bytes), "the archive is written");
  const auto before = fuzz::Sandbox::snapshot(sandbox.program());
  Settings restored = settings;
  fuzz::YesPrompts prompts;
  const bool taken = readarchive(archive, sandbox.program(), restored, fuzz::kToday, prompts,
                                 fuzz::kSmallArchives);
  fuzz::check(sandbox.only_holds({"program", "x.agb"}), "nothing lands beside the program folder");
  if (!taken) {
    fuzz::check(fuzz::Sandbox::snapshot(sandbox.program()) == before,
                "a refused archive changes nothing");
    fuzz::check(write_settings(restored, 1) == write_settings(settings, 1),
                "a refused archive leaves the settings");
  }
  return 0;
}
