#include "platform/process.hpp"

#include <windows.h>

namespace tavelo {

int current_process_id() {
  return static_cast<int>(GetCurrentProcessId());
}

// A process that has ended keeps its number while a handle to it is open, but its handle is
// signalled.
bool process_running(int process_id) {
  if (process_id <= 0) return false;
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(process_id));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

}  // namespace tavelo
