#include "fuzz/fuzz_support.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "planning/settings.hpp"

namespace tavelo::fuzz {

void fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

Sandbox::Sandbox() {
  std::string pattern = (fs::temp_directory_path() / "tavelo-fuzz-XXXXXX").string();
  check(::mkdtemp(pattern.data()) != nullptr, "a temporary folder can be made");
  root_ = pattern;
  reset();
}

Sandbox::~Sandbox() {
  std::error_code error;
  fs::remove_all(root_, error);
}

void Sandbox::reset() {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(root_, error)) fs::remove_all(entry, error);
  fs::create_directories(program(), error);
}

std::map<std::string, std::string> Sandbox::snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = fs::relative(it->path(), folder).string();
    if (it->is_directory()) {
      files[name + "/"] = "";
      continue;
    }
    std::string bytes;
    if (FILE* f = std::fopen(it->path().c_str(), "rb")) {
      char buffer[4096];
      for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        bytes.append(buffer, n);
      std::fclose(f);
    }
    files[name] = std::move(bytes);
  }
  return files;
}

Sandbox& fresh_sandbox() {
  static Sandbox sandbox;
  sandbox.reset();
  return sandbox;
}

Settings working_settings() {
  Settings settings = default_settings(kToday, false);
  apply_zero_value_defaults(settings);
  return settings;
}

bool Sandbox::only_holds(std::initializer_list<const char*> allowed) const {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(root_, error)) {
    bool known = false;
    for (const char* name : allowed) known = known || entry.path().filename() == name;
    if (!known) return false;
  }
  return true;
}

}  // namespace tavelo::fuzz
