#include "platform/file_times.hpp"

#include <system_error>

namespace tavelo {

bool written_since_seen(const std::filesystem::path& file,
                        std::optional<std::filesystem::file_time_type>& seen) {
  std::error_code error;
  const auto time = std::filesystem::last_write_time(file, error);
  if (error) {
    seen.reset();
    return false;
  }
  if (seen == time) return false;
  seen = time;
  return true;
}

}  // namespace tavelo
