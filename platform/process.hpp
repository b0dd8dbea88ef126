#pragma once

namespace tavelo {

// The number the system gives the running process, and whether a process of that number is
// still running (one that has ended, even if nobody has collected it yet, is not).
int current_process_id();
bool process_running(int process_id);

}  // namespace tavelo
