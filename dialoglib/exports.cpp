// The two functions the dialog library exports; nothing else is visible outside it.
#include <cstdlib>
#include <string>

#include "access/dialog.hpp"
#include "access/speech.hpp"
#include "dialoglib/dialogs.hpp"
#include "planning/text.hpp"
#include "platform/fault.hpp"
#include "platform/parlon_exports.hpp"
#include "platform/services.hpp"

namespace {

using namespace tavelo;

// Valid until the next call of either export.
std::wstring& answer() {
  static std::wstring text;
  return text;
}

// Runs a dialog of the library. A fault ends the process here, as the program would: it never
// reaches the caller, which may not even be C++.
template <typename Dialog>
const wchar_t* answered(Dialog dialog) {
  try {
    if (!speech_state().readers_looked_for) LoadSpeechLibraries();
    answer() = to_wide(dialog());
    // The answered dialog leaves the screen, and the program's window is in front again.
    DialogState& state = dialog_state();
    window_system().close_window(state.window);
    state.window = 0;
  } catch (const Fault& fault) {
    window_system().message_box(fault.title, fault.text);
    std::exit(3);
  }
  return answer().c_str();
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const wchar_t* parlon(
    const wchar_t* title, const wchar_t* message, std::int32_t seconds, const wchar_t* buttons,
    std::int32_t default_button, const wchar_t* sound) {
  return answered([&] {
    return run_parlon(from_wide(title), from_wide(message), seconds, from_wide(buttons),
                      default_button, from_wide(sound));
  });
}

extern "C" __attribute__((visibility("default"))) const wchar_t* findbox(std::int32_t find_only) {
  return answered([&] { return run_findbox(find_only != 0); });
}
