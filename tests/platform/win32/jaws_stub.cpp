// A stand-in for JAWS's jfwapi.dll, of the same name and exports, that records what it is asked
// to say (texts come in the ANSI code page).
#include "tests/platform/win32/speech_stub.hpp"

extern "C" {

__declspec(dllexport) BOOL __stdcall JFWSayString(const char* text, BOOL interrupt) {
  using namespace tavelo::testing;
  if (!stub_reader_running()) return FALSE;
  stub_record("jaws say " + std::to_string(interrupt) + " " +
              utf8_of_code_page(wide_of_ansi(text).c_str()));
  return TRUE;
}

__declspec(dllexport) BOOL __stdcall JFWRunScript(const char* name) {
  using namespace tavelo::testing;
  if (!stub_reader_running()) return FALSE;
  stub_record("jaws script " + std::string(name));
  return TRUE;
}
}
