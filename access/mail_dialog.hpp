#pragma once

#include <filesystem>
#include <string_view>

#include "access/mail.hpp"
#include "planning/records.hpp"

namespace tavelo {

// "notification par courriel, ": the mail account and message of the whole agenda. "&test" sends
// a test; OK tests again what changed, then stores the settings and whether they are approved,
// and saves them in the program folder. Cancel leaves everything as it was.
void MailDialog(Settings& settings, const std::filesystem::path& program_folder,
                MailServices& services);

// The same for one planning, named in the title: its mail settings and approval are edited in
// place on OK, and saved with the planning.
void MailDialog(MailSettings& planning_mail, int& mail_approved, std::string_view planning_name,
                MailServices& services);

}  // namespace tavelo
