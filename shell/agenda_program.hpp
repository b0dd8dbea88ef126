#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "alarms/chime_options.hpp"
#include "maintenance/update_check.hpp"
#include "planning/prompts.hpp"
#include "platform/network.hpp"
#include "shell/startup.hpp"

namespace tavelo {

// The agenda as the user runs it, on the window system, speech, clock, sound output and shell
// installed for the process: the start-up with its windows, the calendar, and the parts of the
// program each step reaches. Returns the exit code.
int RunAgendaProgram(const std::filesystem::path& program_folder,
                     const std::vector<std::string>& arguments, Network& network);

// The reminder an update leaves in the user's application data: said once, then forgotten.
void DonationReminder(const std::filesystem::path& application_data, Prompts& prompts);

// The update check of the running agenda, with its questions and windows. Once an update is
// downloaded the updater has been started, and the caller ends the program; otherwise the
// agenda keeps its lock.
UpdateOutcome CheckForUpdateOf(AgendaRun& run, int mode, int quiet, Network& network,
                               const std::optional<std::string>& server, Prompts& prompts);

// The chime options of the running agenda, opened on the page asked for.
bool ChimeOptionsOf(AgendaRun& run, ChimeTab first, Network& network,
                    const std::optional<std::string>& server, Prompts& prompts);

}  // namespace tavelo
