#pragma once

// What the screen readers' stand-in libraries share: they append one line per call to the file
// named by TAVELO_SPEECH_RECORD, in UTF-8, and answer as TAVELO_STUB_RUNNING says ("1": the
// reader is running and speaks).
#include <windows.h>

#include <cstdio>
#include <string>

namespace tavelo::testing {

inline std::wstring stub_setting(const wchar_t* name) {
  wchar_t value[1024];
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

inline bool stub_reader_running() {
  return stub_setting(L"TAVELO_STUB_RUNNING") == L"1";
}

inline std::string utf8_of_code_page(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length > 0 ? length - 1 : 0), '\0');
  if (length > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

inline std::wstring wide_of_ansi(const char* text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length - 1 : 0), L'\0');
  if (length > 1) MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  return wide;
}

inline void stub_record(const std::string& line) {
  const std::wstring file = stub_setting(L"TAVELO_SPEECH_RECORD");
  if (file.empty()) return;
  if (FILE* out = _wfopen(file.c_str(), L"ab")) {
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
    std::fclose(out);
  }
}

}  // namespace tavelo::testing
