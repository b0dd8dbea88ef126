#pragma once

#include <optional>
#include <string>

#include "alarms/sound_players.hpp"
#include "planning/prompts.hpp"
#include "platform/clock.hpp"
#include "platform/network.hpp"
#include "shell/startup.hpp"

namespace tavelo {

// What the calendar's buttons and menus reach outside the window.
struct CalendarContext {
  AgendaRun& run;
  Clock& clock;
  Prompts& prompts;
  SoundPlayers& players;
  Network& network;
  std::optional<std::string> server;  // the maker's web server, when one is set
};

// The calendar window: six weeks around the selected day, the day's plannings, and the menu
// bar through which every other function is reached. Returns how it was left.
CalendarExit ShowCalendar(CalendarContext& context);

}  // namespace tavelo
