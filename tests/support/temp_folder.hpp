#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tavelo::testing {

// A fresh program folder for one test, removed afterwards.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void write_bytes(const std::filesystem::path& file, std::string_view bytes);
std::string read_bytes(const std::filesystem::path& file);

}  // namespace tavelo::testing
