#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "app/terminal_lines.hpp"
#include "platform/clock.hpp"
#include "platform/mixer.hpp"

namespace tavelo {

// One line of a session script. See the README for the commands.
struct ScriptCommand {
  enum class Kind {
    now,
    wait,
    key,
    type,
    focus,
    click,
    select_index,
    select_text,
    mark,
    unmark,
    check,
    uncheck,
    menu,
    tray,
    close,
    answer
  };
  Kind kind = Kind::close;
  int line = 0;
  int number = 0;         // control, menu item or tray icon; milliseconds for "wait"
  int index = 0;          // item index for "select N INDEX", "mark N INDEX"
  bool by_text = false;   // "mark N \"TEXT\"": the item is named by its text
  std::vector<int> keys;  // virtual-key codes for "key"
  std::string text;       // "type", "select N \"TEXT\"", "mark N \"TEXT\"", "answer"
  LocalTime time;         // "now"
};

struct ScriptError {
  std::string message;
};

// The commands of a script, or a message naming the first line that cannot be understood.
std::variant<std::vector<ScriptCommand>, ScriptError> parse_script(std::string_view text);
// One line of a script, numbered `number`: its command, nothing for a blank line or a comment,
// or a message saying what is wrong.
std::variant<std::optional<ScriptCommand>, ScriptError> parse_script_line(std::string_view line,
                                                                          int number);

// Runs `program` on the simulated backends, fed by the script file, with the transcript written
// to `transcript` (standard error when null). The program finds a fresh interface; when the
// session ends, the backends installed before it are back and the interface is forgotten. Returns
// the program's exit code, also written to the transcript as "exit CODE"; a script that cannot be
// read or carried out gives a message on standard error and the code 2. Everything the program
// sounded, rendered in simulated time, goes to the WAV file `sound_out` when one is named. The
// shell shows the manual pages of `program_folder`.
int run_scripted_session(const std::string& script_file, std::ostream* transcript,
                         const std::function<int()>& program, const std::string& sound_out = {},
                         const std::filesystem::path& program_folder = {});

// The session of a terminal without a display: the same simulated windows and speech, driven by
// the commands the user types on `typed` as they come, on the real `clock` and sound output; the
// transcript goes to `transcript`. A command that cannot be understood or carried out is told
// in the transcript ("script-error") and the session goes on. It ends with the program, or when
// the input ends and the program waits for the user.
int run_terminal_session(TerminalLines& typed, std::ostream& transcript, Clock& clock, Mixer& mixer,
                         const std::filesystem::path& program_folder,
                         const std::function<int()>& program);

// The script file named by TAVELO_UI=script:FILE, if any.
std::optional<std::string> script_from_environment();

// Runs the program as the environment asks: TAVELO_UI=script:FILE runs the scripted session,
// with the transcript in TAVELO_TRANSCRIPT (standard error when unset) and the rendered sound in
// the WAV file TAVELO_SOUND_OUT (none when unset). Nothing when the
// environment asks for no scripted session.
std::optional<int> run_session_from_environment(const std::filesystem::path& program_folder,
                                                const std::function<int()>& program);

}  // namespace tavelo
