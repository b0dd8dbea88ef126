#pragma once

#include <filesystem>

#include "access/mail.hpp"
#include "planning/records.hpp"

namespace tavelo {

// "notification par courriel, ": the mail account and message of the whole agenda. "&test" sends
// a test; OK tests again what changed, then stores the settings and whether they are approved,
// and saves them in the program folder. Cancel leaves everything as it was.
void MailDialog(Settings& settings, const std::filesystem::path& program_folder,
                MailServices& services);

// The same for the planning editor, the planning's subject in the title: the planning's mail
// settings and approval are edited in place on OK, and saved with the planning.
void PlanningMailDialog(Planning& planning, MailServices& services);

}  // namespace tavelo
