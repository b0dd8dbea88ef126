#include "platform/desktop.hpp"

#include "platform/win32/win32_speech.hpp"
#include "platform/win32/win32_window_system.hpp"

namespace tavelo {

// Windows always has its desktop.
Desktop open_desktop(std::string&) {
  return {std::make_unique<Win32WindowSystem>(), std::make_unique<Win32Speech>()};
}

}  // namespace tavelo
