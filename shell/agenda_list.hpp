#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "planning/records.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// One planning file as the real-time agenda reads it: the day and time its name carries, and
// its record.
struct AgendaPlanning {
  std::string file;  // its name in "rdv"
  int day = 0;
  int hour = 0;
  int minute = 0;
  Planning planning;

  int minutes() const { return hour * 60 + minute; }
};

// The plannings the agenda may show: from today up to the longest forewarning (255 days), in
// name order, which is date and time order. Files whose names carry no date are passed over.
std::vector<AgendaPlanning> read_agenda_plannings(const fs::path& program_folder,
                                                  const Settings& settings, int today);

// What the list pass works from.
struct ListPassInput {
  int today = 0;
  int now_minutes = 0;  // minutes since midnight
  const std::vector<std::string>* filter = nullptr;
  bool window_shown = false;
};

// The default alarm the agenda rings for the forewarning or for plannings found already past.
enum class AlarmState : int {
  kIdle = 0,
  kDefaultAlarm = 1,  // the default alarm rings
  kHandled = 2,       // that ringing is over
};

// What the list pass found: the lines of the list, and the due check.
struct AgendaList {
  std::vector<std::string> lines;
  std::vector<std::size_t> line_plannings;  // the planning of each line
  int selected = 0;                         // the line of the last planning of today now passed
  // "\r\n  9:5, Dentiste" for each planning of today found past and not signalled.
  std::string missed_today;
  int next_alarm = -1;  // minutes since midnight; -1: none
  // Plannings of today found past and not signalled: they are marked signalled and stored.
  std::vector<std::size_t> now_signalled;
  bool late_signalling = false;         // the default alarm rings for them
  std::optional<std::size_t> prepared;  // the planning whose alarm is prepared
  std::vector<std::size_t> with_tasks;  // plannings of today with a command task
};

inline constexpr const char* kNothingToReport = "rien à signaler";

// The list pass over the plannings, in their order. Marks the plannings it finds past as
// signalled (in `plannings`); may set the alarm state to the late signalling.
AgendaList list_pass(std::vector<AgendaPlanning>& plannings, const ListPassInput& input,
                     AlarmState& alarm_state);

// "demain: à 09:30: (note) Dentiste (2 de 5)": one line of the list.
std::string agenda_line(const AgendaPlanning& planning, int days_ahead);

}  // namespace tavelo
