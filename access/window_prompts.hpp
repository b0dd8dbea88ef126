#pragma once

#include "planning/prompts.hpp"

namespace tavelo {

// Notices and questions as message boxes of the window system. A notice is titled by the text
// before its first carriage return or "|" ("Notice..." when there is none or it is empty);
// questions are titled "Confirmation ??".
class WindowPrompts final : public Prompts {
 public:
  void notice(std::string_view text) override;
  bool question(std::string_view text) override;
};

}  // namespace tavelo
