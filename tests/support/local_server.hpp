#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/network.hpp"

namespace tavelo::testing {

class ChildProcess;

// One of the servers of tests/servers, run by Debian's /usr/bin/python3 on 127.0.0.1. The
// server prints its port when it listens; it is stopped when this object goes, including when
// the test fails, and the kernel stops it if the test program itself dies.
class LocalServer {
 public:
  LocalServer(const std::string& script, const std::vector<std::string>& arguments);
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  int port() const { return port_; }
  std::string address() const;  // "127.0.0.1:port"

 private:
  std::unique_ptr<ChildProcess> process_;
  int port_ = 0;
};

// Time-outs short enough that a test of a dead server ends in a few seconds.
NetworkOptions quick_network_options();

// A port on 127.0.0.1 where nothing listens.
int closed_port();

// A server on 127.0.0.1 that takes every connection and never answers: a dead server whose
// machine is still up. The connections wait in its queue until it goes.
class SilentServer {
 public:
  SilentServer();
  ~SilentServer();
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;

  int port() const { return port_; }

 private:
  int socket_ = -1;
  int port_ = 0;
};

// Runs a command through the shell; true when it exits with 0.
bool run_command(const std::string& command);

}  // namespace tavelo::testing
