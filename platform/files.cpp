#include "platform/files.hpp"

#include <algorithm>
#include <fstream>
#include <random>

#include "platform/os.hpp"

namespace tavelo {

fs::path path_of(std::string_view utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

bool file_exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

std::optional<std::string> read_file(const fs::path& file, std::size_t limit) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  char buffer[1 << 16];
  while (bytes.size() < limit && in) {
    const std::size_t wanted = std::min(sizeof buffer, limit - bytes.size());
    in.read(buffer, static_cast<std::streamsize>(wanted));
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) return std::nullopt;
  return bytes;
}

namespace {

constexpr std::string_view kTemporaryPrefix = "~tavelo-";
constexpr std::size_t kTemporaryLetters = 6;

std::string temporary_name() {
  static constexpr std::string_view kLetters =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
  std::string name(kTemporaryPrefix);
  for (std::size_t i = 0; i < kTemporaryLetters; ++i) name += kLetters[pick(random)];
  return name;
}

// "~tavelo-" and six letters; the daily pass's "~tavelo-passed" holds a planning.
bool is_temporary_name(std::string_view name) {
  return name.size() == kTemporaryPrefix.size() + kTemporaryLetters &&
         name.starts_with(kTemporaryPrefix) && name != "~tavelo-passed";
}

}  // namespace

bool write_file_atomically(const fs::path& file, std::string_view bytes) {
  // The temporary name starts with "~" so that no listing pattern of the program matches it; a
  // name another save holds is passed over.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const SaveOutcome outcome = save_through(file.parent_path() / temporary_name(), file, bytes);
    if (outcome != SaveOutcome::kNameTaken) return outcome == SaveOutcome::kSaved;
  }
  return false;
}

// A save that is still running holds its temporary file's lock; the lock of one that died went
// with it.
void remove_leftover_temporaries(const fs::path& folder) {
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code type_error;
    if (it->is_regular_file(type_error) && is_temporary_name(it->path().filename().string())) {
      remove_unless_locked(it->path());
    }
  }
}

namespace {

char fold(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::vector<std::string> pieces_between(std::string_view list, char separator) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(separator, start), list.size());
    if (end > start) pieces.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

bool wildcard_match(std::string_view pattern, std::string_view name) {
  // Iterative matcher with one back-tracking point: linear in practice, never recursive.
  std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || fold(pattern[p]) == fold(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<std::string> list_files(const fs::path& folder, std::string_view pattern) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code type_error;
    if (!it->is_regular_file(type_error)) continue;
    std::string name = it->path().filename().string();
    if (wildcard_match(pattern, name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

fs::path native_path(const fs::path& base, std::string_view stored) {
  std::string text(stored);
  std::replace(text.begin(), text.end(), '\\', '/');
  const fs::path path = path_of(text);
  return path.is_absolute() ? path : base / path;
}

std::optional<fs::path> contained_path(const fs::path& folder, std::string_view stored) {
  if (stored.empty() || stored.find(':') != std::string_view::npos) return std::nullopt;
  fs::path path = folder;
  std::size_t start = 0;
  while (start <= stored.size()) {
    const std::size_t end = std::min(stored.find_first_of("\\/", start), stored.size());
    const std::string_view part = stored.substr(start, end - start);
    if (part.empty() || part == "." || part == ".." || part.find('\0') != std::string_view::npos) {
      return std::nullopt;
    }
    path /= path_of(part);
    start = end + 1;
  }
  return path;
}

std::optional<fs::path> file_in_folder(const fs::path& folder, std::string_view name) {
  if (name.find_first_of("\\/") != std::string_view::npos) return std::nullopt;
  return contained_path(folder, name);
}

}  // namespace tavelo
