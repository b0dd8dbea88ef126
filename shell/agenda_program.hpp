#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "planning/prompts.hpp"
#include "platform/network.hpp"

namespace tavelo {

// The agenda as the user runs it, on the window system, speech, clock, sound output and shell
// installed for the process: the start-up with its windows, the calendar, and the parts of the
// program each step reaches. Returns the exit code.
int RunAgendaProgram(const std::filesystem::path& program_folder,
                     const std::vector<std::string>& arguments, Network& network);

// The reminder an update leaves in the user's application data: said once, then forgotten.
void DonationReminder(const std::filesystem::path& application_data, Prompts& prompts);

}  // namespace tavelo
