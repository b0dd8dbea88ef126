#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/network.hpp"

namespace tavelo::testing {

class HostProcess;
class TempFolder;

// One of the servers of tests/servers, run by Debian's /usr/bin/python3 on 127.0.0.1 as a host
// program. The server writes its port to a file when it listens; it is stopped when this object
// goes, including when the test fails.
class LocalServer {
 public:
  LocalServer(const std::string& script, const std::vector<std::string>& arguments);
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  int port() const { return port_; }
  std::string address() const;  // "127.0.0.1:port"

 private:
  std::unique_ptr<TempFolder> folder_;
  std::unique_ptr<HostProcess> process_;
  int port_ = 0;
};

// Time-outs short enough that a test of a dead server ends in a few seconds.
NetworkOptions quick_network_options();

// A port on 127.0.0.1 where nothing listens.
int closed_port();

// A server on 127.0.0.1 that takes every connection and never answers: a dead server whose
// machine is still up (tests/servers/silent_server.py).
class SilentServer {
 public:
  SilentServer() : server_("silent_server.py", {}) {}

  int port() const { return server_.port(); }

 private:
  LocalServer server_;
};

}  // namespace tavelo::testing
