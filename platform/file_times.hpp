#pragma once

#include <filesystem>
#include <optional>

namespace tavelo {

// Whether the file was created or written since `seen`, its write time when last looked at,
// which then becomes the one seen; a missing file forgets it. For a watch that is told only that
// something may have changed.
bool written_since_seen(const std::filesystem::path& file,
                        std::optional<std::filesystem::file_time_type>& seen);

}  // namespace tavelo
