#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "planning/planning_file.hpp"
#include "planning/prompts.hpp"

namespace tavelo {

// Reproducing a series, without the question: the planning is written once per occurrence,
// `number_of_times` files named after their date and time followed by ";" and the series link
// (the current time in seconds). Each occurrence after the first loses a unique identifier that
// holds the own sharing identifier. In memory the series link is cleared and the occurrence
// number set to 0 afterwards. Returns the names written, in order.
std::vector<std::string> reproduce_series(const PlanningStore& store, Planning& planning, int day,
                                          std::string_view time);

// The editor's save: when the number of times is above 1, the planning is neither a category
// template nor a deadline subject ("LIMITE") and recurs, asks "Souhaitez-vous reproduire les
// occurrences dans le calendrier?" and on yes reproduces the series. Returns the names written
// (none when nothing was reproduced).
std::vector<std::string> offer_series_reproduction(const PlanningStore& store, Planning& planning,
                                                   int day, std::string_view time, bool is_template,
                                                   Prompts& prompts);

// Deletes every file of a series: the occurrences (".gnd…;" + link) and its end marker
// (".lmt;" + link). Returns how many were deleted; an empty link deletes nothing.
int delete_series(const fs::path& program_folder, std::string_view series_link);

// The question put before reproducing up to a deadline on `deadline_day`.
std::string deadline_reproduction_question(int deadline_day);

// Reproducing up to the deadline, without the question: one occurrence file for every date from
// `day` that is not after `deadline_day`; the last one also gets its end marker ".lmt;" + link.
// Returns the occurrence names written (the marker is not among them).
std::vector<std::string> reproduce_until_deadline(const PlanningStore& store, Planning& planning,
                                                  int day, std::string_view time, int deadline_day);

// The editor's save for a planning whose number of times is 0: when it is neither a template nor
// a deadline, recurs, and a deadline exists at or after today, asks the question and on yes
// reproduces up to the deadline.
std::vector<std::string> offer_deadline_reproduction(const PlanningStore& store, Planning& planning,
                                                     int day, std::string_view time,
                                                     bool is_template, bool is_deadline,
                                                     int deadline_day, int today, Prompts& prompts);

// The day of the deadline of the folder (the first planning named " limite"), 0 when there is none.
int current_deadline_day(const fs::path& folder);

// The files of a series, its occurrences and its end marker, in name order.
std::vector<std::string> series_files(const fs::path& program_folder, std::string_view series_link);

// The deadline maintenance (start-up and every save of the editor): one deadline at most, moved on
// to today or later (a passed one-off deadline is deleted), and the series that run up to it
// reproduced as far as it. Returns the deadline's day number, 0 when there is none.
int maintain_deadline(const PlanningStore& store, int today);

}  // namespace tavelo
