#pragma once

#include <filesystem>

namespace tavelo {

// The user's own folders that the agenda reads besides its program folder. Each system's backend
// library defines `user_folders` (on Linux from XDG_DATA_HOME and HOME).
struct UserFolders {
  // Where the installer of an update goes, and the donation reminder's file.
  std::filesystem::path application_data;
  // Where the file choosers start.
  std::filesystem::path profile;
  // The note an earlier installation left of its program folder ("tavelo.txt").
  std::filesystem::path previous_installation_note;
};

UserFolders user_folders();

}  // namespace tavelo
