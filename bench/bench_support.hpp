#pragma once

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "planning/prompts.hpp"

namespace tavelo::bench {

// Answers no to every question and cancels every input box, without a word.
class QuietPrompts final : public Prompts {
 public:
  void notice(std::string_view) override {}
  bool question(std::string_view) override { return false; }
  std::optional<std::string> input(std::string_view, std::string_view, std::string_view) override {
    return std::nullopt;
  }
};

// A temporary folder, removed with everything in it when the benchmark ends.
struct ProgramFolder {
  ProgramFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tavelo-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path = pattern;
  }
  ~ProgramFolder() {
    std::error_code error;
    std::filesystem::remove_all(path, error);
  }
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;
  std::filesystem::path path;
};

}  // namespace tavelo::bench
