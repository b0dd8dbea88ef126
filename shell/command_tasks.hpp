#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "planning/records.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// Minutes since 1901-01-01 at 00:00: the day number × 1440 + hour × 60 + minute.
using MinuteStamp = std::int64_t;
MinuteStamp minute_stamp(int day, int hour, int minute);

// A planning of today whose command task the agenda runs at its time.
struct CommandTask {
  std::string file;  // the planning's file in "rdv"
  std::string subject;
  std::string category;            // the journal section of its watch
  MinuteStamp time = 0;            // its time, moved on by each postponement
  int watch_lead = 0;              // minutes of keyboard watch before the time; 0: no watch
  bool confirm_when_used = false;  // ask only when a key was read during the watch
  bool confirm_always = false;
  bool postponable = false;
  int postponements_left = 0;
  int postponement_interval = 0;  // minutes
  int restart_limit = -1;         // minutes a late start may still run it; -1: not at all
  bool watch_started = false;
  bool disturbed = false;  // a key was read during the watch
  bool done = false;
};

// The task of a planning of today at the given time.
CommandTask command_task(std::string file, const Planning& planning, int day, int hour, int minute);

// The tasks of today's plannings; a task the table already holds keeps its watch, its
// postponements and whether it ran. Tasks whose planning says they ran are left out.
void update_task_table(std::vector<CommandTask>& table, std::vector<CommandTask> today);

// The watch starts from the lead time before the task up to (not including) its time.
bool watch_starts(const CommandTask& task, MinuteStamp now);
bool watching(const CommandTask& task, MinuteStamp now);

// The task runs at its minute, or later when a late start may still run it.
bool task_due(const CommandTask& task, MinuteStamp now);

bool asks_confirmation(const CommandTask& task);

// The task comes again `interval` minutes later; false when it may not be postponed again.
bool postpone(CommandTask& task, MinuteStamp now);

// A program and its arguments, each handed over as it is.
struct TaskCommand {
  fs::path program;
  std::vector<std::string> arguments;
};

// The words of a command line: blanks separate them, double quotes keep blanks inside one.
std::vector<std::string> command_words(std::string_view text);

// The task's program with the words of its command line; without a program, the first word of
// the command line is the program. Relative programs are taken from the program folder.
TaskCommand split_command(const fs::path& program_folder, const TaskSettings& task);

// The journal lines of a task at its time, after the header.
std::vector<std::string> task_journal_lines(const Planning& planning);

}  // namespace tavelo
