#pragma once

#include <filesystem>
#include <string>

#include "exchange/sharing.hpp"

namespace tavelo::testing {

// A user's row for another, whose files go into a shared folder, without FTP.
inline SharingRow folder_row(const std::string& identifier, const std::filesystem::path& shared) {
  SharingRow row;
  row.columns[kIdentifierColumn] = identifier;
  row.columns[kFolderColumn] = shared.string();
  complete_sharing_row(row);
  row.columns[kFtpActiveColumn] = "0";
  return row;
}

// The row's files relayed through the FTP server of the tests on 127.0.0.1 (ftp_server.py with
// the user "relais", the password "mdp" and a folder "partage" in its home).
inline void relay_through(SharingRow& row, int port) {
  row.columns[kFtpServerColumn] = "127.0.0.1";
  row.columns[kFtpUserColumn] = "relais";
  row.columns[kFtpPasswordColumn] = "mdp";
  row.columns[kFtpFolderColumn] = "partage";
  row.columns[kFtpPortColumn] = std::to_string(port);
  row.columns[kFtpActiveColumn] = "1";
}

}  // namespace tavelo::testing
