#include "platform/program_folder.hpp"

#include <windows.h>

#include <string>

namespace tavelo {

std::filesystem::path running_program_folder() {
  // Long paths need more than MAX_PATH: grow the buffer until the name fits.
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return std::filesystem::current_path();
    if (length < name.size()) {
      name.resize(length);
      return std::filesystem::path(name).parent_path();
    }
    name.resize(name.size() * 2);
  }
}

}  // namespace tavelo
