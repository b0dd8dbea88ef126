#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "planning/prompts.hpp"
#include "planning/records.hpp"
#include "platform/clock.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// What the daily management pass works with. The pass reads the management time, the background
// agenda, the real-time running flag (2: the pass was handed over by the real-time agenda; 0: no
// real-time agenda runs), the last active day, the daily repeated warning and the journal folder.
struct ManagementContext {
  fs::path program_folder;
  Settings& settings;
  const Clock& clock;
  Prompts& prompts;
  // `JournalReady`'s yes: opens the management settings dialog, which may set the journal
  // folder.
  std::function<void()> open_management_settings;
};

struct ManagementReport {
  // The report shown in "signalement de Tavelo"; empty when there is nothing to report.
  std::string text;
  // Nothing was reported: the start-up then says "Rien à signaler" itself.
  bool nothing_reported = true;
  int passes = 0;           // the first pass and each repeat after a rescheduling
  int deleted = 0;          // planning files deleted (every past planning's file)
  int rescheduled = 0;      // plannings written at their next occurrence
  int journal_entries = 0;  // entries written for missed occurrences
};

// The past-planning message up to "Elle a été ".
std::string past_planning_message(std::string_view subject, int day, std::string_view time);

// The message of a planning within its forewarning days.
std::string forewarning_message(std::string_view subject, int days_ahead, std::string_view time);

// The daily management pass over the plannings of "rdv": past plannings deleted or moved
// on (every missed occurrence journaled, one report message for the last one), plannings within
// their forewarning days reported, today's marked signalled; repeated while it reschedules.
ManagementReport run_management_pass(const ManagementContext& context);

}  // namespace tavelo
