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

}  // namespace tavelo::testing
