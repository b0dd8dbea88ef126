#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tavelo::testing {

// What a program of the project printed (standard output and error together) and how it ended:
// its exit status, or -1 when it did not end in time and was killed.
struct ProgramRun {
  int status = -1;
  std::string output;
};

// Runs one of the project's programs to its end. `environment` adds "NAME=VALUE" settings to the
// test's own; a lone "NAME" removes that variable.
ProgramRun run_program(const std::vector<std::string>& words,
                       const std::vector<std::string>& environment = {}, int timeout_ms = 60000);

// A program of the machine that runs the tests (Debian's python3 with the test servers,
// openssl, the sound encoders). On Linux the test starts it itself. A Windows test program
// under wine asks the broker that the test runner started outside wine
// (tests/servers/host_broker.py, its folder in TAVELO_HOST_BROKER): wine gives a Windows
// program no handle on a Linux program, so it could neither wait for it nor stop it. Arguments
// that are absolute paths of the test are handed over as the host names them. The program is
// stopped when this object goes.
class HostProcess {
 public:
  explicit HostProcess(const std::vector<std::string>& words);
  ~HostProcess();
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  // Its exit status once it has ended, -1 when it has not within the time.
  int wait(int timeout_ms);

 private:
  struct Running;
  Running* running_;
};

// Runs a host program to its end; true when it exits with 0 within the time.
bool run_host_program(const std::vector<std::string>& words, int timeout_ms = 60000);

// The name under which host programs find a file of the test.
std::string host_path(const std::filesystem::path& path);

// A folder that exists and where nothing can be written, even by root: Linux's /proc, which wine
// shows under a drive of its own; on Windows itself the system's folder, which only
// administrators write to.
std::string unwritable_folder();

// While one lives, the files the test's process writes hold no more than a few bytes, even
// root's, as on a full disk. Windows has no such limit for a process: there `works` is false,
// and the disk is left as it is.
class FullDisk {
 public:
  FullDisk();
  ~FullDisk();
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  bool works() const { return works_; }

 private:
  bool works_ = false;
  unsigned long long limit_ = 0;
  void (*signal_)(int) = nullptr;
};

// The peak memory of the test's own process so far, in bytes.
std::size_t peak_memory();

// Polls `ready` (sleeping 20 ms between tries) until it holds or the time runs out.
bool eventually(const std::function<bool()>& ready, int timeout_ms);

}  // namespace tavelo::testing
