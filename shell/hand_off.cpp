#include "shell/hand_off.hpp"

#include <fstream>
#include <string>

#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

namespace {

constexpr std::size_t kLineLimit = 4096;

bool write_lines(const fs::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return !out.fail();
}

std::string first_line(std::string_view bytes) {
  return std::string(bytes.substr(0, bytes.find_first_of("\r\n")));
}

}  // namespace

bool WriteTrayAction(const fs::path& program_folder, int code) {
  const fs::path temporary = program_folder / kHandOffTemporary;
  if (!write_lines(temporary, std::to_string(code) + "\r\n")) return false;
  std::error_code error;
  fs::rename(temporary, program_folder / kHandOffFile, error);
  if (!error) return true;
  fs::remove(temporary, error);
  return false;
}

int ReadTrayAction(const fs::path& program_folder) {
  const fs::path file = program_folder / kHandOffFile;
  const std::optional<std::string> bytes = read_file(file, kLineLimit);
  if (!bytes) return kNoTrayAction;
  std::error_code error;
  fs::remove(file, error);
  const std::int64_t code = leading_integer(first_line(*bytes));
  return code > 0 && code < 1000 ? static_cast<int>(code) : kNoTrayAction;
}

bool hand_over(const fs::path& program_folder, int code,
               const std::function<void(std::chrono::milliseconds)>& wait) {
  const fs::path file = program_folder / kHandOffFile;
  if (!WriteTrayAction(program_folder, code)) return false;
  for (int check = 0; check < 5; ++check) {
    wait(std::chrono::milliseconds(500));
    if (!file_exists(file)) return true;
  }
  std::error_code error;
  fs::remove(file, error);
  return false;
}

bool write_sleep_request(const fs::path& program_folder, int minutes, long long start_stamp) {
  return write_lines(program_folder / kSleepFile,
                     std::to_string(minutes) + "\r\n" + std::to_string(start_stamp) + "\r\n");
}

}  // namespace tavelo
