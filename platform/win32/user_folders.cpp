#include "platform/user_folders.hpp"

#include <optional>
#include <string>

#include "platform/files.hpp"
#include "platform/os.hpp"

namespace tavelo {

namespace {

std::filesystem::path variable_or(const char* name, const std::filesystem::path& fallback) {
  const std::optional<std::string> value = environment_variable(name);
  if (!value || value->empty()) return fallback;
  return path_of(*value);
}

}  // namespace

UserFolders user_folders() {
  std::error_code error;
  UserFolders folders;
  folders.profile = variable_or("USERPROFILE", std::filesystem::current_path(error));
  folders.application_data = variable_or("APPDATA", folders.profile);
  // An earlier installation left its note at the root of the system drive.
  folders.previous_installation_note = L"c:\\tavelo.txt";
  return folders;
}

}  // namespace tavelo
