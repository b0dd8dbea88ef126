#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "tests/support/child_process.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/programs.hpp"

namespace tavelo::testing {

namespace {

[[noreturn]] void run_child(std::vector<std::string> words,
                            const std::vector<std::string>& environment, int output) {
  ::dup2(output, STDOUT_FILENO);
  ::dup2(output, STDERR_FILENO);
  for (const std::string& setting : environment) {
    const auto equals = setting.find('=');
    if (equals == std::string::npos) {
      ::unsetenv(setting.c_str());
    } else {
      ::setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
    }
  }
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

// Everything the child writes until it closes its output or the time runs out.
bool read_until_closed(int fd, std::string& output, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0) continue;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) return true;
    output.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace

ProgramRun run_program(const std::vector<std::string>& words,
                       const std::vector<std::string>& environment, int timeout_ms) {
  int pipe_ends[2];
  if (::pipe2(pipe_ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) run_child(words, environment, pipe_ends[1]);
  ::close(pipe_ends[1]);
  ProgramRun run;
  const bool closed = read_until_closed(pipe_ends[0], run.output, timeout_ms);
  ::close(pipe_ends[0]);
  if (!closed) ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  run.status = closed && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

struct HostProcess::Running {
  ChildProcess child;
};

HostProcess::HostProcess(const std::vector<std::string>& words)
    : running_(new Running{ChildProcess(words)}) {}

HostProcess::~HostProcess() {
  delete running_;
}

int HostProcess::wait(int timeout_ms) {
  return running_->child.wait(timeout_ms,
                              [] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); });
}

int closed_port() {
  // Bind a port and let it go: nothing listens there afterwards.
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(probe, reinterpret_cast<sockaddr*>(&address), length);
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(probe);
  return ntohs(address.sin_port);
}

std::string host_path(const std::filesystem::path& path) {
  return path.string();
}

std::string unwritable_folder() {
  return "/proc";
}

// A write past the limit fails with EFBIG once the signal it raises is ignored.
FullDisk::FullDisk() : signal_(::signal(SIGXFSZ, SIG_IGN)) {
  rlimit limit{};
  if (getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
  limit_ = limit.rlim_cur;
  limit.rlim_cur = 8;
  works_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FullDisk::~FullDisk() {
  rlimit limit{};
  if (works_ && getrlimit(RLIMIT_FSIZE, &limit) == 0) {
    limit.rlim_cur = static_cast<rlim_t>(limit_);
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ::signal(SIGXFSZ, signal_);
}

std::size_t peak_memory() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

}  // namespace tavelo::testing
