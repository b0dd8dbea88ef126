#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "alarms/chime_player.hpp"
#include "alarms/sound_players.hpp"
#include "maintenance/update_check.hpp"
#include "planning/prompts.hpp"
#include "planning/records.hpp"
#include "platform/network.hpp"
#include "shell/startup.hpp"
#include "shell/tray.hpp"
#include "shell/url_task.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// The chimes of the run: their own players (separate from the alarms', so both sound together),
// their worker thread, and the random choice of their files.
struct ChimeSounds {
  SoundPlayers& players;
  ChimeThread thread;
  RandomIndex random;
};

// What the real-time agenda works with. The parts of the program around it are functions; an
// empty one stands for a part that is not there.
struct RealtimeServices {
  fs::path program_folder;
  Settings& settings;
  Prompts& prompts;
  SoundPlayers& alarm_sounds;
  ChimeSounds& chimes;
  std::shared_ptr<Network> network;
  std::optional<std::string> server;  // the maker's web server
  UrlTaskRunner& url_tasks;
  QueuedTrayIcon& url_task_icon;
  std::vector<std::jthread>& mails;  // notification mails on their way

  // The single-instance lock: taken while the window shows, released in the background.
  std::function<bool()> take_lock;
  std::function<void()> release_lock;
  // The code another start of the program left in the hand-off file (0: none), which is deleted.
  std::function<int()> read_tray_action;
  // The update check, asked by the user or the agenda's own. When it started the updater, the
  // agenda ends the program for the updater to put the new files into place.
  std::function<UpdateOutcome(bool asked)> check_for_update;
  // Gives the number of plannings received from the network.
  std::function<int()> receive_network_plannings;
  // The planning editor on a planning file, or on a new planning.
  std::function<void(const std::optional<fs::path>& planning)> edit_planning;
  std::function<void()> open_management_settings;
  std::function<void()> desktop_icon_option;
};

// What the real-time agenda shares with the run of the program.
struct RealtimeRun {
  bool window_shown = false;
  bool management_done = false;
  bool start_chime_due = true;
  bool chime_announcement_pending = false;
  int calendar_day = 0;
  std::string exchange_file;               // given by another program (hand-off code 21): to import
  bool told_no_notification_area = false;  // said once a run
};

// The agenda that watches the clock, in its window "Tavelo en temps réel" or hidden behind tray
// icon 1: due plannings ring, speak, mail, run their tasks and are journaled. `command_line`
// may ask for the desktop icon's start ("/bureau"). Returns how it hands back: "resetmenu" for
// the calendar, "resédule" for the management pass, or "" with an exchange file to import. It
// ends the program itself (ProgramEnd) when the user quits, when another start asks it to, and
// for its nightly restart.
std::string RealtimeAgenda(RealtimeServices& services, RealtimeRun& run, std::string command_line);

}  // namespace tavelo
