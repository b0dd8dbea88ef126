// A stand-in for NVDA's controller client, of the same name and exports, that records what it
// is asked to say.
#include "tests/platform/win32/speech_stub.hpp"

namespace {

constexpr unsigned long kNotRunning = RPC_S_UNKNOWN_IF;  // what the real client reports then

}  // namespace

extern "C" {

__declspec(dllexport) unsigned long __stdcall nvdaController_speakText(const wchar_t* text) {
  using namespace tavelo::testing;
  if (!stub_reader_running()) return kNotRunning;
  stub_record("nvda speak " + utf8_of_code_page(text));
  return 0;
}

__declspec(dllexport) unsigned long __stdcall nvdaController_cancelSpeech() {
  using namespace tavelo::testing;
  if (!stub_reader_running()) return kNotRunning;
  stub_record("nvda cancel");
  return 0;
}

__declspec(dllexport) unsigned long __stdcall nvdaController_testIfRunning() {
  return tavelo::testing::stub_reader_running() ? 0 : kNotRunning;
}
}
