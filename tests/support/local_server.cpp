#include "tests/support/local_server.hpp"

#include <stdexcept>

#include "tests/support/programs.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {

namespace {

constexpr const char* kPython = "/usr/bin/python3";  // Debian's, which has the server modules
constexpr int kStartTimeoutMs = 15000;

}  // namespace

LocalServer::LocalServer(const std::string& script, const std::vector<std::string>& arguments)
    : folder_(std::make_unique<TempFolder>()) {
  const std::filesystem::path port_file = folder_->path() / "port";
  std::vector<std::string> words{kPython,
                                 std::string(TAVELO_SOURCE_DIR) + "/tests/servers/" + script,
                                 "--port-file", port_file.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  process_ = std::make_unique<HostProcess>(words);
  if (eventually([&] { return std::filesystem::exists(port_file); }, kStartTimeoutMs)) {
    port_ = std::atoi(read_bytes(port_file).c_str());
  }
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

}  // namespace tavelo::testing
