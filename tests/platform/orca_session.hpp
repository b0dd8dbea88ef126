#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "tests/platform/speech_daemon.hpp"
#include "tests/support/child_process.hpp"

namespace tavelo::testing {

// Orca's start-up under sanitizers on a loaded machine.
inline constexpr int kOrcaPatienceMs = 30000;

// French when the machine has the locale, so that Orca's own words are French too.
std::string orca_locale();

// Orca, the screen reader, with its preferences, settings and caches in `folder`, speaking
// through `daemon`. It is stopped while `pump` keeps the windows it reads answering, since it may
// still ask them as it ends.
class Orca {
 public:
  Orca(const std::filesystem::path& folder, const SpeechDaemon& daemon, const std::string& locale,
       std::function<void()> pump);
  ~Orca();
  Orca(const Orca&) = delete;
  Orca& operator=(const Orca&) = delete;

 private:
  ChildProcess process_;
  std::function<void()> pump_;
};

}  // namespace tavelo::testing
