#include "tests/support/scripted_prompts.hpp"

#include <gtest/gtest.h>

namespace tavelo::testing {

void ScriptedPrompts::notice(std::string_view text) { notices.emplace_back(text); }

bool ScriptedPrompts::question(std::string_view text) {
  questions.emplace_back(text);
  if (answers_.empty()) {
    ADD_FAILURE() << "unexpected question: " << text;
    return false;
  }
  const bool answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::optional<std::string> ScriptedPrompts::input(std::string_view title, std::string_view prompt,
                                                  std::string_view proposed) {
  inputs_asked.push_back(std::string(title) + "|" + std::string(prompt) + "|" +
                         std::string(proposed));
  if (input_answers.empty()) {
    ADD_FAILURE() << "unexpected input box: " << title;
    return std::nullopt;
  }
  auto answer = input_answers.front();
  input_answers.pop_front();
  return answer;
}

}  // namespace tavelo::testing
