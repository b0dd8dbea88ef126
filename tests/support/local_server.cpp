#include "tests/support/local_server.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace tavelo::testing {

namespace {

constexpr const char* kPython = "/usr/bin/python3";  // Debian's, which has the server modules
constexpr int kStartTimeoutMs = 15000;

[[noreturn]] void run_child(int out, const std::string& script,
                            const std::vector<std::string>& arguments) {
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  ::dup2(out, STDOUT_FILENO);
  std::vector<std::string> words{kPython,
                                 std::string(TAVELO_SOURCE_DIR) + "/tests/servers/" + script};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  ::execv(kPython, argv.data());
  ::_exit(127);
}

// The first line the server prints, or empty when it says nothing in time.
std::string first_line(int in) {
  std::string line;
  char c = 0;
  while (line.size() < 16) {
    pollfd ready{in, POLLIN, 0};
    if (::poll(&ready, 1, kStartTimeoutMs) <= 0 || ::read(in, &c, 1) != 1 || c == '\n') break;
    line += c;
  }
  return line;
}

void stop(pid_t pid) {
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
}

}  // namespace

LocalServer::LocalServer(const std::string& script, const std::vector<std::string>& arguments) {
  int pipe_ends[2];
  if (::pipe(pipe_ends) != 0) throw std::runtime_error("pipe failed");
  pid_ = ::fork();
  if (pid_ == 0) run_child(pipe_ends[1], script, arguments);
  ::close(pipe_ends[1]);
  const std::string line = pid_ > 0 ? first_line(pipe_ends[0]) : "";
  ::close(pipe_ends[0]);
  port_ = std::atoi(line.c_str());
  if (port_ <= 0) {
    if (pid_ > 0) stop(pid_);
    throw std::runtime_error("the test server " + script + " did not start");
  }
}

LocalServer::~LocalServer() {
  stop(pid_);
}

std::string LocalServer::address() const {
  return "127.0.0.1:" + std::to_string(port_);
}

NetworkOptions quick_network_options() {
  using namespace std::chrono_literals;
  return {{2000ms, 2000ms, 3000ms}, {}};
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

bool run_command(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

}  // namespace tavelo::testing
