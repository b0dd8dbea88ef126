#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace tavelo {

// A programming fault: the program shows `title` and `text` in a message box and ends.
// Only main() and the dialog library's exports catch it.
struct Fault : std::runtime_error {
  Fault(std::string fault_title, std::string fault_text)
      : std::runtime_error(fault_title + ": " + fault_text),
        title(std::move(fault_title)),
        text(std::move(fault_text)) {}
  std::string title;
  std::string text;
};

}  // namespace tavelo
