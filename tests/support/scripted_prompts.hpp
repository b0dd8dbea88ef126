#pragma once

#include <deque>
#include <string>
#include <vector>

#include "planning/prompts.hpp"

namespace tavelo::testing {

// Answers questions from a queue and records everything it was shown. A question with no answer
// left fails the test.
class ScriptedPrompts final : public Prompts {
 public:
  explicit ScriptedPrompts(std::deque<bool> answers = {}) : answers_(std::move(answers)) {}

  void notice(std::string_view text) override;
  bool question(std::string_view text) override;
  std::optional<std::string> input(std::string_view title, std::string_view prompt,
                                   std::string_view proposed) override;

  std::vector<std::string> notices;
  std::vector<std::string> questions;
  std::vector<std::string> inputs_asked;  // "title|prompt|proposed"
  std::deque<std::optional<std::string>> input_answers;

 private:
  std::deque<bool> answers_;
};

}  // namespace tavelo::testing
