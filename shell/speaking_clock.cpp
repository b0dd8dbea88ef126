#include "shell/speaking_clock.hpp"

#include <cstdio>

namespace tavelo {

namespace {

std::string replaced(std::string text, std::string_view mark, int value) {
  const std::size_t at = text.find(mark);
  if (at != std::string::npos) text.replace(at, mark.size(), std::to_string(value));
  return text;
}

}  // namespace

std::string clock_field_text(const LocalTime& time) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour % 100, time.minute % 100,
                time.second % 100);
  return text;
}

std::string spoken_time(int hour, int minute, int second) {
  const std::string pattern = "%hh heure, %ii minute, et %ss seconde.";
  return replaced(replaced(replaced(pattern, "%hh", hour), "%ii", minute), "%ss", second);
}

std::string coming_minute_announcement(const LocalTime& time) {
  const int minutes = (time.hour * 60 + time.minute + 1) % (24 * 60);
  return "au son du long bip, il sera: " + spoken_time(minutes / 60, minutes % 60, 0);
}

ClockSecond clock_second(const LocalTime& time) {
  return {time.second == kAnnouncementSecond, time.second == 0};
}

}  // namespace tavelo
