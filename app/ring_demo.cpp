// Rings every alarm profile (".alm") of a folder, one after the other, in a scripted session:
// TAVELO_UI=script:FILE tavelo-ring-demo FOLDER. The sounds are those of the program folder.
#include <iostream>

#include "alarms/alarm_profile.hpp"
#include "alarms/ring_window.hpp"
#include "app/scripted_session.hpp"
#include "platform/files.hpp"
#include "platform/program_folder.hpp"

namespace {

using namespace tavelo;

int ring_all(const fs::path& folder) {
  SoundPlayers players(sound_mixer(), interface_clock(), running_program_folder());
  players.report = sound_report();
  for (const std::string& name : list_files(folder, "*.alm")) {
    AlarmProfile profile;
    if (!LoadAlarmProfile(folder / name, profile)) return 1;
    RingInWindow(profile, 1, players);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage : tavelo-ring-demo DOSSIER\n";
    return 2;
  }
  const fs::path folder = argv[1];
  if (const std::optional<int> code = run_session_from_environment(
          running_program_folder(), [&] { return ring_all(folder); })) {
    return *code;
  }
  std::cerr << "tavelo-ring-demo ne fonctionne qu'en session scriptée : TAVELO_UI=script:FICHIER\n";
  return 2;
}
