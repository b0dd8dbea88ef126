#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavelo {

namespace fs = std::filesystem;

// The planning files of the planning folder by day, so that the calendar never lists the folder
// once per day it shows. The folder is listed again only when it changed: when its modification
// time moved, or while that time is too recent to tell two changes apart.
class DayIndex {
 public:
  explicit DayIndex(fs::path planning_folder) : folder_(std::move(planning_folder)) {}

  // Lists the folder when it changed since the last listing; true when it listed.
  bool refresh();
  // The program changed the folder itself: the next refresh lists it.
  void invalidate() { listed_ = false; }

  // The planning files of a day, in name order (which is time order).
  std::span<const std::string> files(int day) const;
  int count(int day) const { return static_cast<int>(files(day).size()); }
  // Every planning file of the folder, including those whose name carries no day.
  int total() const { return total_; }
  std::optional<int> first_day() const;
  std::optional<int> last_day() const;
  // The nearest day before (after) `day` that has plannings.
  std::optional<int> day_before(int day) const;
  std::optional<int> day_after(int day) const;

 private:
  bool changed_since_listing() const;

  fs::path folder_;
  std::map<int, std::vector<std::string>> by_day_;
  int total_ = 0;
  bool listed_ = false;
  fs::file_time_type modified_{};
  fs::file_time_type listed_at_{};
};

}  // namespace tavelo
