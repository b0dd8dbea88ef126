#pragma once

#include <chrono>
#include <filesystem>
#include <functional>

namespace tavelo {

namespace fs = std::filesystem;

// Requests a starting program hands to the agenda already running, through "trayaction.txt".
inline constexpr const char* kHandOffFile = "trayaction.txt";
inline constexpr const char* kHandOffTemporary = "trayaction.tmp";

enum TrayAction : int {
  kNoTrayAction = 0,
  kShowCalendar = 17,
  kDesktopIconStart = 18,
  kStartSleep = 19,
  kEndAgenda = 20,
  kImportFile = 21,
};

// Writes the code as one line into "trayaction.tmp" and renames that over "trayaction.txt", so
// that the reader never sees a half-written file. False when the folder cannot be written.
bool WriteTrayAction(const fs::path& program_folder, int code);

// The code of "trayaction.txt", which is deleted; 0 when there is none or it cannot be read.
int ReadTrayAction(const fs::path& program_folder);

// The running agenda takes the hand-off file within 5 checks, 500 ms apart (`wait` passes the
// time while the starting program keeps answering). True when it was taken; otherwise the file
// is deleted, so that no agenda finds a stale request later.
bool hand_over(const fs::path& program_folder, int code,
               const std::function<void(std::chrono::milliseconds)>& wait);

// The sleep file: its presence asks for a sleep, its two lines give the length in minutes and
// the minute stamp at which the sleep was asked.
inline constexpr const char* kSleepFile = "sleep";
bool write_sleep_request(const fs::path& program_folder, int minutes, long long start_stamp);

}  // namespace tavelo
