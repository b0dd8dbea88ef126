#pragma once

#include <string_view>

namespace tavelo {

// The questions and notices the logic puts to the user. The dialog layer shows them as message
// boxes (notices titled "Notice...", questions "Confirmation ??"); tests answer from a script.
class Prompts {
 public:
  virtual ~Prompts() = default;
  virtual void notice(std::string_view text) = 0;
  virtual bool question(std::string_view text) = 0;
};

}  // namespace tavelo
