#include <winsock2.h>
// winsock2.h first: windows.h would bring the older winsock.h.
#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <stdexcept>
#include <thread>

#include "platform/os.hpp"
#include "platform/win32/command_line.hpp"
#include "platform/win32/wide.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/programs.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {

namespace fs = std::filesystem;

namespace {

// Windows compares environment names without case.
struct NoCase {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return _wcsicmp(a.c_str(), b.c_str()) < 0;
  }
};

std::wstring environment_block(const std::vector<std::string>& changes) {
  std::map<std::wstring, std::wstring, NoCase> variables;
  wchar_t* inherited = GetEnvironmentStringsW();
  for (const wchar_t* entry = inherited; *entry != L'\0'; entry += wcslen(entry) + 1) {
    const std::wstring text(entry);
    const auto equals = text.find(L'=', 1);  // names such as "=C:" start with '='
    if (equals != std::wstring::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  FreeEnvironmentStringsW(inherited);
  for (const std::string& change : changes) {
    const std::wstring text = wide_of(change);
    const auto equals = text.find(L'=');
    if (equals == std::wstring::npos) {
      variables.erase(text);
    } else {
      variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
  }
  std::wstring block;
  for (const auto& [name, value] : variables) block += name + L'=' + value + L'\0';
  return block + L'\0';
}

}  // namespace

ProgramRun run_program(const std::vector<std::string>& words,
                       const std::vector<std::string>& environment, int timeout_ms) {
  const TempFolder folder;
  const fs::path output = folder.path() / "output.txt";
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE out = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) throw std::runtime_error("no output file for the program");
  std::wstring command = command_line_of(words);
  std::wstring block = environment_block(environment);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = INVALID_HANDLE_VALUE;
  startup.hStdOutput = out;
  startup.hStdError = out;
  PROCESS_INFORMATION process{};
  const bool started =
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                     block.data(), nullptr, &startup, &process) != 0;
  CloseHandle(out);
  ProgramRun run;
  if (!started) return run;
  CloseHandle(process.hThread);
  if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeout_ms)) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    run.status = static_cast<int>(code);
  } else {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  CloseHandle(process.hProcess);
  run.output = read_bytes(output);
  return run;
}

namespace {

fs::path broker_folder() {
  const auto folder = environment_variable("TAVELO_HOST_BROKER");
  if (!folder) throw std::runtime_error("TAVELO_HOST_BROKER is not set: run the tests with ctest");
  return fs::path(wide_of(*folder));
}

// Written under another name and renamed, so that the broker never reads half of it.
void write_whole(const fs::path& file, const std::string& text) {
  const fs::path part = fs::path(file) += L".part";
  write_bytes(part, text);
  fs::rename(part, file);
}

bool is_absolute_windows_path(const std::string& word) {
  return word.size() > 2 && word[1] == ':' && (word[2] == '\\' || word[2] == '/');
}

}  // namespace

struct HostProcess::Running {
  fs::path request;  // the broker's files are this name with their endings
  int status = -1;
};

HostProcess::HostProcess(const std::vector<std::string>& words) : running_(new Running) {
  static std::atomic<int> count{0};
  running_->request = broker_folder() /
                      ("p" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count));
  std::string lines;
  for (const std::string& word : words) {
    lines += (is_absolute_windows_path(word) ? host_path(fs::path(wide_of(word))) : word) + "\n";
  }
  write_whole(fs::path(running_->request) += L".run", lines);
}

HostProcess::~HostProcess() {
  if (running_->status == -1) {
    write_whole(fs::path(running_->request) += L".stop", "");
    wait(10000);
  }
  std::error_code error;
  fs::remove(fs::path(running_->request) += L".exit", error);
  delete running_;
}

int HostProcess::wait(int timeout_ms) {
  const fs::path exit_file = fs::path(running_->request) += L".exit";
  if (running_->status == -1 && eventually([&] { return fs::exists(exit_file); }, timeout_ms)) {
    running_->status = std::stoi(read_bytes(exit_file));
  }
  return running_->status;
}

int closed_port() {
  // Bind a port and let it go: nothing listens there afterwards.
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  const SOCKET probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  bind(probe, reinterpret_cast<sockaddr*>(&address), length);
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(probe);
  WSACleanup();
  return ntohs(address.sin_port);
}

std::string host_path(const fs::path& path) {
  // Wine names the Linux file behind a Windows path; on Windows itself there is no other host.
  using UnixName = char*(__cdecl*)(const wchar_t*);
  static const auto unix_name = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (unix_name == nullptr) return path.string();
  const fs::path absolute = fs::absolute(path);
  char* name = unix_name(absolute.c_str());
  if (name == nullptr)
    return host_path(absolute.parent_path()) + "/" + absolute.filename().string();
  std::string result(name);
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

FullDisk::FullDisk() = default;
FullDisk::~FullDisk() = default;

std::string unwritable_folder() {
  using DosName = wchar_t*(__cdecl*)(const char*);
  static const auto dos_name = reinterpret_cast<DosName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  wchar_t* name = dos_name == nullptr ? nullptr : dos_name("/proc");
  if (name == nullptr) return "C:\\Windows\\System32";
  std::wstring folder(name);
  HeapFree(GetProcessHeap(), 0, name);
  if (folder.starts_with(L"\\\\?\\")) folder.erase(0, 4);  // the name without its prefix
  return utf8_of(folder);
}

std::size_t peak_memory() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PeakWorkingSetSize;
}

}  // namespace tavelo::testing
