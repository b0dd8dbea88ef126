#pragma once

#include <array>
#include <string_view>

#include "platform/clock.hpp"

namespace tavelo {

// Dates are day numbers: days since 1901-01-01 (day 0). 1970-01-01 is day 25202.
inline constexpr int kDayNumberOf1970 = 25202;

struct CalendarDate {
  int year;
  int month;  // 1..12
  int day;    // 1..31
};

int daynumber(int year, int month, int day);
int daynumber(const CalendarDate& date);
CalendarDate date_of(int daynumber);
int dayofmonth(int daynumber);
int monthof(int daynumber);
int yearof(int daynumber);
int weekday(int daynumber);  // 0 = Sunday .. 6 = Saturday
bool is_valid_date(int year, int month, int day);

// The days the calendar holds: 1901-01-01 to 9999-12-31. A day number read from outside beyond
// them is damaged, and counts as absent.
inline constexpr int kLastDayNumber = 2958098;
inline constexpr bool is_calendar_day(long long number) {
  return number >= 0 && number <= kLastDayNumber;
}

int todaynumber(const Clock& clock);

// Every date the program shows or speaks uses these names.
inline constexpr std::array<std::string_view, 7> kDayNames = {
    "Dimanche", "Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi"};
inline constexpr std::array<std::string_view, 13> kMonthNames = {
    "",        "Janvier", "Février",   "Mars",    "Avril",    "Mai",     "Juin",
    "Juillet", "Août",    "Septembre", "Octobre", "Novembre", "Décembre"};

}  // namespace tavelo
