#include "shell/command_tasks.hpp"

#include <gtest/gtest.h>

namespace tavelo {
namespace {

const MinuteStamp kTen = minute_stamp(45000, 10, 0);

Planning with_task() {
  Planning p;
  p.subject = "Sauvegarde";
  p.task.active = 1;
  p.task.program = "/usr/bin/rsync";
  return p;
}

TEST(CommandTasks, TheWatchListensBeforeTheTaskAndALateStartMayStillRunIt) {
  Planning p = with_task();
  p.task.idle_start = 1;
  p.task.idle_minutes = 5;
  CommandTask task = command_task("45000 10-00.gnd", p, 45000, 10, 0);
  EXPECT_FALSE(watch_starts(task, kTen - 6));
  EXPECT_TRUE(watch_starts(task, kTen - 5));
  task.watch_started = true;
  EXPECT_FALSE(watch_starts(task, kTen - 4));
  EXPECT_TRUE(watching(task, kTen - 1));
  EXPECT_FALSE(watching(task, kTen));
  EXPECT_FALSE(task_due(task, kTen - 1));
  EXPECT_TRUE(task_due(task, kTen));
  EXPECT_FALSE(task_due(task, kTen + 1));  // the minute went by
  p.task.restart_allowed = 1;
  p.task.restart_limit = 30;
  task = command_task("45000 10-00.gnd", p, 45000, 10, 0);
  EXPECT_TRUE(task_due(task, kTen + 30));
  EXPECT_FALSE(task_due(task, kTen + 31));
  task.done = true;
  EXPECT_FALSE(task_due(task, kTen));
}

TEST(CommandTasks, ConfirmationAndPostponementFollowTheTaskOptions) {
  Planning p = with_task();
  p.task.confirmation = 1;
  CommandTask always = command_task("f", p, 45000, 10, 0);
  EXPECT_TRUE(asks_confirmation(always));
  p.task.idle_start = 1;
  CommandTask when_used = command_task("f", p, 45000, 10, 0);
  EXPECT_FALSE(asks_confirmation(when_used));
  when_used.disturbed = true;
  EXPECT_TRUE(asks_confirmation(when_used));

  p.task.postponement_option = 1;
  p.task.postponements = 2;
  p.task.postponement_interval = 15;
  CommandTask task = command_task("f", p, 45000, 10, 0);
  task.watch_started = task.disturbed = true;
  EXPECT_TRUE(postpone(task, kTen));
  EXPECT_EQ(task.time, kTen + 15);
  EXPECT_FALSE(task.disturbed);  // a new watch for the new time
  EXPECT_TRUE(postpone(task, kTen + 15));
  EXPECT_FALSE(postpone(task, kTen + 30));
  EXPECT_TRUE(task.done);
}

TEST(CommandTasks, TheTableKeepsWhatItKnowsOfATaskAcrossRebuilds) {
  std::vector<CommandTask> table = {command_task("a", with_task(), 45000, 10, 0)};
  table[0].watch_started = true;
  table[0].time = kTen + 15;
  update_task_table(table, {command_task("a", with_task(), 45000, 10, 0),
                            command_task("b", with_task(), 45000, 11, 0)});
  ASSERT_EQ(table.size(), 2u);
  EXPECT_TRUE(table[0].watch_started);
  EXPECT_EQ(table[0].time, kTen + 15);
  update_task_table(table, {});
  EXPECT_TRUE(table.empty());
}

TEST(CommandTasks, TheCommandLineIsCutIntoWordsWithoutAnyInterpreter) {
  EXPECT_EQ(command_words(R"(  -a "mes documents" ;rm  'x' $HOME)"),
            (std::vector<std::string>{"-a", "mes documents", ";rm", "'x'", "$HOME"}));
  EXPECT_EQ(command_words(R"(a""b "")"), (std::vector<std::string>{"ab", ""}));
  TaskSettings task;
  task.command_line = "/bin/echo bonjour";
  TaskCommand command = split_command("/opt/tavelo", task);
  EXPECT_EQ(command.program, fs::path("/bin/echo"));
  EXPECT_EQ(command.arguments, (std::vector<std::string>{"bonjour"}));
  task.program = "outils/sauve.sh";
  command = split_command("/opt/tavelo", task);
  EXPECT_EQ(command.program, fs::path("/opt/tavelo/outils/sauve.sh"));
  EXPECT_EQ(command.arguments, (std::vector<std::string>{"/bin/echo", "bonjour"}));
  EXPECT_TRUE(split_command("/opt/tavelo", TaskSettings{}).program.empty());
}

}  // namespace
}  // namespace tavelo
