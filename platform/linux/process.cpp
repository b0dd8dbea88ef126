#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/process.hpp"

namespace tavelo {

int current_process_id() { return static_cast<int>(::getpid()); }

// A process that has ended stays a zombie until its parent collects it: the state letter after
// the name in /proc/PID/stat tells.
bool process_running(int process_id) {
  if (process_id <= 0 || ::kill(process_id, 0) != 0) return false;
  std::ifstream stat("/proc/" + std::to_string(process_id) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  const auto name_end = line.rfind(')');
  return name_end == std::string::npos || name_end + 2 >= line.size() ||
         (line[name_end + 2] != 'Z' && line[name_end + 2] != 'X');
}

}  // namespace tavelo
