#include "shell/day_index.hpp"

#include <chrono>

#include "planning/planning_names.hpp"

namespace tavelo {

namespace {

// Longer than the coarsest modification-time step of the file systems the agenda meets.
constexpr auto kSettleTime = std::chrono::seconds(2);

}  // namespace

bool DayIndex::changed_since_listing() const {
  if (!listed_) return true;
  std::error_code error;
  const fs::file_time_type modified = fs::last_write_time(folder_, error);
  if (error) return by_day_.size() != 0 || total_ != 0;
  return modified != modified_ || listed_at_ - modified_ < kSettleTime;
}

bool DayIndex::refresh() {
  if (!changed_since_listing()) return false;
  std::error_code error;
  listed_at_ = fs::file_time_type::clock::now();
  modified_ = fs::last_write_time(folder_, error);
  by_day_.clear();
  const std::vector<std::string> names = list_plannings(folder_);
  total_ = static_cast<int>(names.size());
  for (const std::string& name : names) {
    if (const auto fields = parse_planning_name(name)) by_day_[fields->day].push_back(name);
  }
  listed_ = true;
  return true;
}

std::span<const std::string> DayIndex::files(int day) const {
  const auto found = by_day_.find(day);
  if (found == by_day_.end()) return {};
  return found->second;
}

std::optional<int> DayIndex::first_day() const {
  if (by_day_.empty()) return std::nullopt;
  return by_day_.begin()->first;
}

std::optional<int> DayIndex::last_day() const {
  if (by_day_.empty()) return std::nullopt;
  return by_day_.rbegin()->first;
}

std::optional<int> DayIndex::day_before(int day) const {
  const auto later = by_day_.lower_bound(day);
  if (later == by_day_.begin()) return std::nullopt;
  return std::prev(later)->first;
}

std::optional<int> DayIndex::day_after(int day) const {
  const auto later = by_day_.upper_bound(day);
  if (later == by_day_.end()) return std::nullopt;
  return later->first;
}

}  // namespace tavelo
