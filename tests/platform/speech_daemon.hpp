#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/child_process.hpp"

namespace tavelo::testing {

// A real speech-dispatcher daemon that a test starts with a private configuration: its one
// output module writes what it is given into a file and waits a little as a voice would, and
// its sound goes to ALSA's null device, which needs no sound card. XDG_RUNTIME_DIR and
// SPEECHD_ADDRESS point this process and its children at it; nothing autospawns the system
// daemon.
class SpeechDaemon {
 public:
  explicit SpeechDaemon(const std::filesystem::path& folder);

  // The folder to give a client as XDG_CONFIG_HOME: a daemon spawned from there refuses to
  // start, so a client that lost this daemon cannot start the system one instead.
  const std::filesystem::path& config_home() const { return config_home_; }

  // Everything the module was given so far, one line per message.
  std::string spoken() const;
  // True once the module was given a line holding `text`.
  bool heard(const std::string& text) const;
  // The file the module writes, for another process to watch.
  const std::filesystem::path& spoken_file() const { return spoken_; }

 private:
  std::filesystem::path spoken_;
  std::filesystem::path config_home_;
  std::unique_ptr<ChildProcess> daemon_;
};

}  // namespace tavelo::testing
