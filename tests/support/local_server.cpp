#include "tests/support/local_server.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "tests/support/child_process.hpp"

namespace tavelo::testing {

namespace {

constexpr const char* kPython = "/usr/bin/python3";  // Debian's, which has the server modules
constexpr int kStartTimeoutMs = 15000;

}  // namespace

LocalServer::LocalServer(const std::string& script, const std::vector<std::string>& arguments) {
  int pipe_ends[2];
  if (::pipe(pipe_ends) != 0) throw std::runtime_error("pipe failed");
  std::vector<std::string> words{kPython,
                                 std::string(TAVELO_SOURCE_DIR) + "/tests/servers/" + script};
  words.insert(words.end(), arguments.begin(), arguments.end());
  process_ = std::make_unique<ChildProcess>(words, pipe_ends[1]);
  ::close(pipe_ends[1]);
  const std::string line = first_line_of(pipe_ends[0], kStartTimeoutMs);
  ::close(pipe_ends[0]);
  port_ = std::atoi(line.c_str());
  if (port_ <= 0) throw std::runtime_error("the test server " + script + " did not start");
}

LocalServer::~LocalServer() = default;

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

SilentServer::SilentServer() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  // The system completes each connection in the listening queue: nothing ever reads or writes.
  if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(socket_, 64) != 0 ||
      ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("the silent server did not start");
  }
  port_ = ntohs(address.sin_port);
}

SilentServer::~SilentServer() {
  ::close(socket_);
}

bool run_command(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

}  // namespace tavelo::testing
