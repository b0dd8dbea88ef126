#include "tests/support/child_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace tavelo::testing {

namespace {

constexpr int kPatienceToEndMs = 5000;

[[noreturn]] void run_child(std::vector<std::string> words, int output, int kept_fd, int input) {
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (output != -1) ::dup2(output, STDOUT_FILENO);
  if (input != -1) ::dup2(input, STDIN_FILENO);
  for (int fd = 3; fd < 256; ++fd) {
    if (fd != kept_fd) ::close(fd);
  }
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  ::execvp(argv[0], argv.data());
  ::_exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& words, int output, int kept_fd,
                           int input) {
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) run_child(words, output, kept_fd, input);
}

// A child that does not end when asked (speech-dispatcher can hang on its way out) is killed,
// so that a test never waits for it without end.
ChildProcess::~ChildProcess() {
  stop(kPatienceToEndMs, [] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); });
}

int ChildProcess::wait(int timeout_ms, const std::function<void()>& pump) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      exited_ = true;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    }
    pump();
  }
  return -1;
}

bool ChildProcess::stop(int timeout_ms, const std::function<void()>& pump) {
  // A child already gone, or already collected by a library's own child watch, is not
  // signalled: its number may belong to another process by now.
  if (exited_ || ::waitpid(pid_, nullptr, WNOHANG) != 0) {
    exited_ = true;
    return true;
  }
  ::kill(pid_, SIGTERM);
  if (wait(timeout_ms, pump) != -1) return true;
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  exited_ = true;
  return false;
}

void ChildProcess::kill_at_once() {
  if (exited_) return;
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  exited_ = true;
}

std::string first_line_of(int fd, int timeout_ms) {
  std::string line;
  char c = 0;
  while (line.size() < 256) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, timeout_ms) <= 0 || ::read(fd, &c, 1) != 1 || c == '\n') break;
    line += c;
  }
  return line;
}

int run_program(const std::filesystem::path& program, int output_fd,
                const std::vector<std::string>& arguments) {
  std::vector<std::string> words{program.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  ChildProcess run(words, output_fd);
  return run.wait(30000, [] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
}

}  // namespace tavelo::testing
