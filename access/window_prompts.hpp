#pragma once

#include <string>
#include <vector>

#include "planning/prompts.hpp"

namespace tavelo {

// Notices and questions as message boxes of the window system. A notice is titled by the text
// before its first carriage return or "|" ("Notice..." when there is none or it is empty);
// questions are titled "Confirmation ??"; inputs are the window system's input box.
class WindowPrompts final : public Prompts {
 public:
  void notice(std::string_view text) override;
  bool question(std::string_view text) override;
  std::optional<std::string> input(std::string_view title, std::string_view prompt,
                                   std::string_view proposed) override;
  // The window system's open dialog where several files may be chosen (pattern like
  // "*.wav;*.ogg"); the empty list when the user cancels.
  std::vector<std::string> open_files(std::string_view title, std::string_view pattern,
                                      std::string_view folder);
  // The open dialog for one file, and the folder chooser; nothing when the user cancels.
  std::optional<std::string> open_file(std::string_view title, std::string_view pattern,
                                       std::string_view folder);
  std::optional<std::string> folder(std::string_view title);
};

}  // namespace tavelo
