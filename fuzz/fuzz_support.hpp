#pragma once

// What the fuzz targets share: checks that end the run with a message, a folder of their own
// for the readers that write, and the answers a user would give.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "alarms/chime_archive.hpp"
#include "planning/prompts.hpp"
#include "planning/records.hpp"

namespace tavelo::fuzz {

namespace fs = std::filesystem;

// A broken promise of the reader: the input that shows it is kept as a finding.
[[noreturn]] void fail(const char* what);
inline void check(bool holds, const char* what) {
  if (!holds) fail(what);
}

inline std::string_view bytes_of(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A folder of this process, emptied before each input: the program folder and whatever else
// a reader may write lie inside, and nothing may appear beside them.
class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  // Empties the root and makes the program folder again.
  void reset();
  const fs::path& root() const { return root_; }
  fs::path program() const { return root_ / "program"; }

  // Every file under `folder` with its bytes, and every folder, by their path inside it.
  static std::map<std::string, std::string> snapshot(const fs::path& folder);
  // The names in the root other than `allowed`: what a reader wrote outside its folders.
  bool only_holds(std::initializer_list<const char*> allowed) const;

 private:
  fs::path root_;
};

// The process's sandbox, emptied for the next input.
Sandbox& fresh_sandbox();

// The settings of an agenda that has read its file on day 45000.
inline constexpr int kToday = 45000;
Settings working_settings();

// Chime archives are unpacked within these, so that an archive that claims much is cheap to try.
inline constexpr ArchiveLimits kSmallArchives{1u << 20, 4u << 20};

// Says yes to every question and cancels every input box; notices go nowhere.
class YesPrompts final : public Prompts {
 public:
  void notice(std::string_view) override {}
  bool question(std::string_view) override { return true; }
  std::optional<std::string> input(std::string_view, std::string_view, std::string_view) override {
    return std::nullopt;
  }
};

}  // namespace tavelo::fuzz
