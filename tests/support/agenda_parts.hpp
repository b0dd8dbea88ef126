#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "access/window_prompts.hpp"
#include "platform/mixer.hpp"
#include "platform/sim/fixed_clock.hpp"
#include "shell/realtime_agenda.hpp"

namespace tavelo::testing {

// What the real-time agenda works with, for a test: chimes that play on a clock of their own,
// the network on libcurl, the URL tasks and the mails (which outlive one run of the agenda, so
// that the test can wait for them), the window prompts. The alarms' players belong to the window
// system of the run.
struct AgendaParts {
  AgendaParts(std::filesystem::path program_folder, Settings& settings);

  RealtimeServices services(SoundPlayers& alarms);
  // Waits for the URL task and the mails under way.
  void finish_threads();

  std::filesystem::path folder;
  Settings& settings;
  Mixer chime_mixer;
  FixedClock chime_clock;
  SoundPlayers chime_players;
  ChimeSounds chimes;
  WindowPrompts prompts;
  std::shared_ptr<Network> network;
  std::optional<std::string> server;
  QueuedTrayIcon url_icon;
  UrlTaskRunner url_tasks;
  std::vector<std::jthread> mails;
  std::function<int()> read_tray_action;
};

}  // namespace tavelo::testing
