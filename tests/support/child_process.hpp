#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/programs.hpp"

namespace tavelo::testing {

// A program the test starts (an X server, a bus, a daemon, a script). It is stopped when this
// object goes, including when the test fails, and the kernel stops it if the test program dies.
class ChildProcess {
 public:
  // `output`, when not -1, becomes the child's standard output, and `input` its standard input;
  // `kept_fd` stays open in it.
  explicit ChildProcess(const std::vector<std::string>& words, int output = -1, int kept_fd = -1,
                        int input = -1);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Runs `pump` until the child exits or `timeout_ms` passes; its exit status, -1 on time-out.
  int wait(int timeout_ms, const std::function<void()>& pump);

  // Asks the child to end and runs `pump` meanwhile, for a child that talks to this process
  // while it ends; after `timeout_ms` it is killed. True when it ended when asked.
  bool stop(int timeout_ms, const std::function<void()>& pump);

  // Ends the child at once, as a crash would: it gets no chance to clean up.
  void kill_at_once();

  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

// The first line written to `fd` within the time, without its line feed.
std::string first_line_of(int fd, int timeout_ms);

// Runs a program with its arguments to its end within 30 s, its output to `output_fd` when not
// -1; its exit status, -1 on time-out.
int run_program(const std::filesystem::path& program, int output_fd,
                const std::vector<std::string>& arguments = {});

}  // namespace tavelo::testing
