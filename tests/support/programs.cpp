#include "tests/support/programs.hpp"

#include <chrono>
#include <thread>

namespace tavelo::testing {

bool run_host_program(const std::vector<std::string>& words, int timeout_ms) {
  HostProcess process(words);
  return process.wait(timeout_ms) == 0;
}

bool eventually(const std::function<bool()>& ready, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (ready()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace tavelo::testing
