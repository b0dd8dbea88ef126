#pragma once

#include <string>

#include "platform/clock.hpp"

namespace tavelo {

// The speaking clock ("heure sonore"): a tick each second, the coming minute announced ten
// seconds before it, and a long tone when it begins.
inline constexpr int kTickFrequency = 800;
inline constexpr int kTickLength = 10;
inline constexpr int kTickVolume = 30;
inline constexpr int kLongToneFrequency = 880;
inline constexpr int kLongToneLength = 1000;
inline constexpr int kLongToneVolume = 60;
inline constexpr int kAnnouncementSecond = 50;

// "09:05:07", as the window's field shows it.
std::string clock_field_text(const LocalTime& time);

// "9 heure, 5 minute, et 7 seconde."
std::string spoken_time(int hour, int minute, int second);

// "au son du long bip, il sera: 9 heure, 6 minute, et 0 seconde."
std::string coming_minute_announcement(const LocalTime& time);

// What the clock does when the second shown changes.
struct ClockSecond {
  bool announce = false;   // the coming minute
  bool long_tone = false;  // the minute begins
};
ClockSecond clock_second(const LocalTime& time);

}  // namespace tavelo
