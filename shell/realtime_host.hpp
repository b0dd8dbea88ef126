#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "planning/prompts.hpp"
#include "platform/network.hpp"
#include "shell/realtime_agenda.hpp"
#include "shell/startup.hpp"

namespace tavelo {

// What the real-time agenda keeps from one of its runs to the next while the program runs: the
// chimes on their own players, the URL task with its tray icon, the mails under way, and whether
// the user was told that the tray icon cannot be shown.
struct RealtimeHost {
  RealtimeHost(const fs::path& program_folder, Prompts& prompts, SoundPlayers& alarm_sounds,
               Network& network, std::optional<std::string> server);

  Prompts& prompts;
  SoundPlayers& alarm_sounds;
  Network& network;
  std::optional<std::string> server;
  SoundPlayers chime_players;
  ChimeSounds chimes;
  QueuedTrayIcon url_task_icon;
  UrlTaskRunner url_tasks;
  std::vector<std::jthread> mails;
  // Gives the number of plannings received from the network.
  std::function<int()> receive_network_plannings;
  bool told_no_notification_area = false;
};

// The real-time agenda for the start-up (its step 27): it works on the run's settings and hands
// back the run's state, the exchange file another start gave it included. Returns how it handed
// back.
std::string RunRealtimeAgenda(RealtimeHost& host, AgendaRun& run, const CommandLine& given);

// A sleep asked before the log-on: the sleep runs behind tray icon 1 on a window of its own that
// never shows, before anything else of the agenda.
void SleepBeforeAgenda(const fs::path& program_folder);

}  // namespace tavelo
