#pragma once

#include <filesystem>

#include "alarms/chime_catalogue.hpp"
#include "alarms/chime_options.hpp"
#include "planning/prompts.hpp"
#include "planning/records.hpp"
#include "platform/clock.hpp"

namespace tavelo {

// What the chime options reach outside their window.
struct ChimeOptionsContext {
  fs::path program_folder;
  fs::path home;  // where the file choosers start
  Settings& settings;
  Clock& clock;
  Prompts& prompts;
  ChimeSource source;  // the catalogue of profiles on the maker's server
};

// The window "option des carillons", opened on the page asked for, after the question that
// turns the background agenda on when it is off. True when OK stored and saved the chime
// settings; the agenda then chimes from the profile they name.
bool ChimeOptions(ChimeOptionsContext& context, ChimeTab first = ChimeTab::general);

}  // namespace tavelo
