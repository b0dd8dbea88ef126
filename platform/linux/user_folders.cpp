#include "platform/user_folders.hpp"

#include <cstdlib>
#include <system_error>

namespace tavelo {

namespace {

std::filesystem::path variable_or(const char* name, const std::filesystem::path& fallback) {
  const char* value = std::getenv(name);
  // An empty or relative value is ignored, as the XDG rules ask.
  if (value == nullptr || *value != '/') return fallback;
  return value;
}

}  // namespace

UserFolders user_folders() {
  std::error_code error;
  const std::filesystem::path home = variable_or("HOME", std::filesystem::current_path(error));
  UserFolders folders;
  folders.profile = home;
  folders.application_data = variable_or("XDG_DATA_HOME", home / ".local" / "share");
  folders.previous_installation_note = home / "tavelo.txt";
  return folders;
}

}  // namespace tavelo
