#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavelo {

// The questions and notices the logic puts to the user. The dialog layer shows them as message
// boxes (notices titled "Notice...", questions "Confirmation ??"); tests answer from a script.
class Prompts {
 public:
  virtual ~Prompts() = default;
  virtual void notice(std::string_view text) = 0;
  virtual bool question(std::string_view text) = 0;
  // An input box with a proposed answer; nothing when the user cancels.
  virtual std::optional<std::string> input(std::string_view title, std::string_view prompt,
                                           std::string_view proposed) = 0;
};

}  // namespace tavelo
