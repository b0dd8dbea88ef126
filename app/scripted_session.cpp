#include "app/scripted_session.hpp"

#include <charconv>
#include <deque>
#include <fstream>
#include <iostream>

#include "access/dialog.hpp"
#include "access/dialog_library.hpp"
#include "access/interface_context.hpp"
#include "access/key_names.hpp"
#include "access/speech.hpp"
#include "platform/fault.hpp"
#include "platform/files.hpp"
#include "platform/os.hpp"
#include "platform/services.hpp"
#include "platform/sim/rendering_clock.hpp"
#include "platform/sim/sim_shell.hpp"
#include "platform/sim/sim_speech.hpp"
#include "platform/sim/sim_window_system.hpp"
#include "platform/sound_decoders.hpp"

namespace tavelo {

namespace {

constexpr std::size_t kScriptLimit = 1u << 20;
// One week: the millisecond tick is 32 bits wide; longer spans take several waits.
constexpr std::int64_t kLongestWait = 7LL * 24 * 3600 * 1000;

struct LineError {
  std::string what;
};

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::string_view next_word(std::string_view& rest) {
  rest = trimmed(rest);
  const auto end = rest.find_first_of(" \t");
  const std::string_view word = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : trimmed(rest.substr(end));
  return word;
}

std::int64_t whole_number(std::string_view word, std::int64_t low, std::int64_t high) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (word.empty() || error != std::errc() || end != word.data() + word.size() || value < low ||
      value > high) {
    throw LineError{"nombre attendu entre " + std::to_string(low) + " et " + std::to_string(high) +
                    ", trouvé « " + std::string(word) + " »"};
  }
  return value;
}

int control_number(std::string_view word) {
  if (word == "ok") return kOkButton;
  if (word == "cancel") return kCancelButton;
  return static_cast<int>(whole_number(word, 0, 1000000));
}

// A text in double quotes with \r, \n, \" and \\ escaped; nothing may follow it.
std::string quoted_text(std::string_view rest) {
  if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"') {
    throw LineError{"texte entre guillemets attendu"};
  }
  std::string text;
  for (std::size_t i = 1; i + 1 < rest.size(); ++i) {
    char c = rest[i];
    if (c == '\\' && i + 2 < rest.size()) {
      const char escaped = rest[++i];
      c = escaped == 'r' ? '\r' : escaped == 'n' ? '\n' : escaped;
    } else if (c == '"') {
      throw LineError{"guillemet non protégé dans le texte"};
    }
    text += c;
  }
  return text;
}

LocalTime date_and_time(std::string_view date, std::string_view time) {
  LocalTime t;
  if (date.size() != 10 || date[4] != '-' || date[7] != '-' ||
      (time.size() != 5 && time.size() != 8) || time[2] != ':' ||
      (time.size() == 8 && time[5] != ':')) {
    throw LineError{"date attendue sous la forme AAAA-MM-JJ HH:MM[:SS]"};
  }
  t.year = static_cast<int>(whole_number(date.substr(0, 4), 1901, 2999));
  t.month = static_cast<int>(whole_number(date.substr(5, 2), 1, 12));
  t.day = static_cast<int>(whole_number(date.substr(8, 2), 1, 31));
  t.hour = static_cast<int>(whole_number(time.substr(0, 2), 0, 23));
  t.minute = static_cast<int>(whole_number(time.substr(3, 2), 0, 59));
  t.second = time.size() == 8 ? static_cast<int>(whole_number(time.substr(6, 2), 0, 59)) : 0;
  const std::chrono::year_month_day ymd{std::chrono::year{t.year},
                                        std::chrono::month{static_cast<unsigned>(t.month)},
                                        std::chrono::day{static_cast<unsigned>(t.day)}};
  if (!ymd.ok()) throw LineError{"cette date n'existe pas"};
  return t;
}

int duration_ms(std::string_view word) {
  const auto unit_at = word.find_first_not_of("0123456789");
  if (unit_at == std::string_view::npos || unit_at == 0) {
    throw LineError{"durée attendue avec une unité ms, s, m ou h"};
  }
  const std::string_view unit = word.substr(unit_at);
  const std::int64_t scale = unit == "ms"  ? 1
                             : unit == "s" ? 1000
                             : unit == "m" ? 60000
                             : unit == "h" ? 3600000
                                           : 0;
  if (scale == 0) throw LineError{"unité inconnue « " + std::string(unit) + " »"};
  const std::int64_t amount = whole_number(word.substr(0, unit_at), 0, kLongestWait);
  if (amount * scale > kLongestWait) throw LineError{"attente plus longue qu'une semaine"};
  return static_cast<int>(amount * scale);
}

// Names joined by "+"; "+" is a key name too ("control++").
std::vector<int> key_codes(std::string_view names) {
  if (names.empty()) throw LineError{"nom de touche attendu"};
  std::vector<int> keys;
  while (!names.empty()) {
    std::string_view name = "+";
    if (names.front() == '+') {
      names.remove_prefix(1);
    } else {
      const auto end = names.find('+');
      name = names.substr(0, end);
      names = end == std::string_view::npos ? std::string_view() : names.substr(end);
    }
    if (!names.empty()) {
      names.remove_prefix(1);
      if (names.empty()) throw LineError{"nom de touche attendu après « + »"};
    }
    const int code = name == "space" ? 32 : KeyCodeOfName(name);
    if (code == 0) throw LineError{"touche inconnue « " + std::string(name) + " »"};
    keys.push_back(code);
  }
  return keys;
}

ScriptCommand parse_line(std::string_view line) {
  using Kind = ScriptCommand::Kind;
  ScriptCommand c;
  std::string_view rest = line;
  const std::string_view word = next_word(rest);
  const auto no_more = [&rest] {
    if (!rest.empty()) throw LineError{"texte en trop « " + std::string(rest) + " »"};
  };
  if (word == "now") {
    c.kind = Kind::now;
    const std::string_view date = next_word(rest);
    c.time = date_and_time(date, next_word(rest));
  } else if (word == "wait") {
    c.kind = Kind::wait;
    c.number = duration_ms(next_word(rest));
  } else if (word == "key") {
    c.kind = Kind::key;
    c.keys = key_codes(next_word(rest));
  } else if (word == "type") {
    c.kind = Kind::type;
    c.text = std::string(rest);
    rest = {};
    if (c.text.empty()) throw LineError{"texte à taper attendu"};
  } else if (word == "focus" || word == "click" || word == "check" || word == "uncheck") {
    c.kind = word == "focus"   ? Kind::focus
             : word == "click" ? Kind::click
             : word == "check" ? Kind::check
                               : Kind::uncheck;
    c.number = control_number(next_word(rest));
  } else if (word == "select" || word == "mark" || word == "unmark") {
    c.number = control_number(next_word(rest));
    c.by_text = !rest.empty() && rest.front() == '"';
    if (c.by_text) {
      c.text = quoted_text(rest);
      rest = {};
    } else {
      c.index = static_cast<int>(whole_number(next_word(rest), 0, 1000000));
    }
    c.kind = word == "mark"     ? Kind::mark
             : word == "unmark" ? Kind::unmark
             : c.by_text        ? Kind::select_text
                                : Kind::select_index;
  } else if (word == "menu" || word == "tray") {
    c.kind = word == "menu" ? Kind::menu : Kind::tray;
    c.number = static_cast<int>(whole_number(next_word(rest), 0, 1000000));
  } else if (word == "close") {
    c.kind = Kind::close;
  } else if (word == "answer") {
    c.kind = Kind::answer;
    c.text = std::string(rest);
    rest = {};
    if (c.text.empty()) throw LineError{"réponse attendue"};
  } else {
    throw LineError{"commande inconnue « " + std::string(word) + " »"};
  }
  no_more();
  return c;
}

std::string at_line(int line, std::string_view what) {
  return "script, ligne " + std::to_string(line) + " : " + std::string(what);
}

// Feeds the commands to the sim window system whenever the program waits with nothing queued.
// Keys of a "key" command stay held until the program has taken the events they gave. The
// commands of a script are all there at the start; those typed at a terminal come as the user
// types them (`more` adds them, and says false once the input has ended).
class ScriptInput final : public SimInput {
 public:
  using MoreCommands = std::function<bool(std::deque<ScriptCommand>&)>;
  // A command the program cannot carry out: a script stops there, a terminal goes on.
  using CommandFailed = std::function<void(const ScriptError&)>;

  // `simulated` is the clock of a script, which "now" sets; a terminal runs on the real clock.
  ScriptInput(std::deque<ScriptCommand> commands, const Clock& clock, RenderingClock* simulated,
              MoreCommands more = {}, CommandFailed failed = {})
      : commands_(std::move(commands)),
        clock_(clock),
        simulated_(simulated),
        more_(std::move(more)),
        failed_(std::move(failed)) {}

  std::optional<std::uint32_t> next_due() override {
    if (!held_.empty()) return clock_.tick();
    const bool waiting = static_cast<std::int32_t>(due_ - clock_.tick()) > 0;
    if (waiting) return due_;
    if (commands_.empty() && more_ && open_) open_ = more_(commands_);
    if (!commands_.empty()) return due_;
    if (more_ && open_) return clock_.tick() + kTypingPollMs;
    return std::nullopt;
  }

  void offer_answers(SimWindowSystem& windows) override {
    if (!held_.empty() || static_cast<std::int32_t>(due_ - clock_.tick()) > 0) return;
    while (!commands_.empty() && commands_.front().kind == ScriptCommand::Kind::answer) {
      windows.queue_answer(commands_.front().text);
      commands_.pop_front();
    }
  }

  // The simulated user acts once the chime that plays has gone to sleep, so that what it does
  // at this moment comes first on every run.
  void perform(SimWindowSystem& windows) override {
    if (simulated_ != nullptr) simulated_->settle();
    if (!held_.empty()) {
      for (auto key = held_.rbegin(); key != held_.rend(); ++key) windows.release(*key);
      held_.clear();
      return;
    }
    while (!commands_.empty()) {
      const ScriptCommand c = std::move(commands_.front());
      commands_.pop_front();
      try {
        if (carry_out(c, windows)) return;
      } catch (const std::logic_error& e) {
        const ScriptError error{at_line(c.line, e.what())};
        if (!failed_) throw error;
        failed_(error);
      }
    }
  }

  // Commands before the first one that needs the program.
  void start_clock() {
    while (simulated_ != nullptr && !commands_.empty() &&
           commands_.front().kind == ScriptCommand::Kind::now) {
      simulated_->set(commands_.front().time);
      commands_.pop_front();
    }
  }

 private:
  // How often the typed lines are looked at while the program waits for them.
  static constexpr std::uint32_t kTypingPollMs = 50;

  // True when the program must now take what the command did.
  bool carry_out(const ScriptCommand& c, SimWindowSystem& windows) {
    using Kind = ScriptCommand::Kind;
    switch (c.kind) {
      case Kind::now:
        if (simulated_ == nullptr) {
          throw std::invalid_argument(
              "l'heure est celle de l'ordinateur ici : « now » n'a pas "
              "de sens");
        }
        simulated_->set(c.time);
        return false;
      case Kind::answer:
        windows.queue_answer(c.text);
        return false;
      case Kind::wait:
        due_ = clock_.tick() + static_cast<std::uint32_t>(c.number);
        return true;
      case Kind::key:
        for (const int key : c.keys) windows.press(key);
        held_ = c.keys;
        return true;
      case Kind::type:
        windows.type_text(c.text);
        return true;
      case Kind::focus:
        windows.user_focus(c.number);
        return true;
      case Kind::click:
        windows.click(c.number);
        return true;
      case Kind::select_index:
        windows.select(c.number, c.index);
        return true;
      case Kind::select_text:
        windows.select(c.number, item_index(windows, c));
        return true;
      case Kind::mark:
      case Kind::unmark:
        windows.mark(c.number, c.by_text ? item_index(windows, c) : c.index, c.kind == Kind::mark);
        return true;
      case Kind::check:
        windows.set_checked(c.number, true);
        return true;
      case Kind::uncheck:
        windows.set_checked(c.number, false);
        return true;
      case Kind::menu:
        windows.choose_menu(c.number);
        return true;
      case Kind::tray:
        windows.click_tray(c.number);
        return true;
      case Kind::close:
        windows.ask_close();
        return true;
    }
    return true;
  }

  static int item_index(const SimWindowSystem& windows, const ScriptCommand& c) {
    const int window = windows.current_window();
    for (int i = 0; i < windows.item_count(window, c.number); ++i) {
      if (windows.item(window, c.number, i).text == c.text) return i;
    }
    throw std::invalid_argument("le contrôle " + std::to_string(c.number) +
                                " n'a pas d'élément « " + c.text + " »");
  }

  std::deque<ScriptCommand> commands_;
  const Clock& clock_;
  RenderingClock* simulated_;
  MoreCommands more_;
  CommandFailed failed_;
  bool open_ = true;
  std::uint32_t due_ = 0;
  std::vector<int> held_;
};

int run_program(const std::function<int()>& program, Transcript& transcript,
                SimWindowSystem& windows) {
  try {
    return program();
  } catch (const SimSessionOver&) {
    return 0;
  } catch (const ProgramEnd& end) {
    return end.code;
  } catch (const Fault& fault) {
    windows.message_box(fault.title, fault.text);
    return 3;
  } catch (const ScriptError& error) {
    std::cerr << error.message << "\n";
    transcript.write("script-error " + in_quotes(error.message));
    return 2;
  }
}

}  // namespace

std::variant<std::optional<ScriptCommand>, ScriptError> parse_script_line(std::string_view line,
                                                                          int number) {
  // A "#" starts a comment, except inside the free text of "type" and "answer".
  const std::string_view probe = trimmed(line);
  const std::string_view first = probe.substr(0, probe.find_first_of(" \t"));
  if (first != "type" && first != "answer") line = line.substr(0, line.find('#'));
  line = trimmed(line);
  if (line.empty()) return std::nullopt;
  try {
    ScriptCommand command = parse_line(line);
    command.line = number;
    return command;
  } catch (const LineError& error) {
    return ScriptError{at_line(number, error.what)};
  }
}

std::variant<std::vector<ScriptCommand>, ScriptError> parse_script(std::string_view text) {
  std::vector<ScriptCommand> commands;
  int number = 0;
  while (!text.empty()) {
    ++number;
    const auto end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    auto parsed = parse_script_line(line, number);
    if (auto* error = std::get_if<ScriptError>(&parsed)) return std::move(*error);
    if (auto& command = std::get<std::optional<ScriptCommand>>(parsed)) {
      commands.push_back(std::move(*command));
    }
  }
  return commands;
}

namespace {

// The session around the program: simulated windows and speech fed by `input`, the shell of the
// program folder, the given clock and sound output. The program finds a fresh interface; when it
// ends, the backends installed before are back.
int run_in_session(ScriptInput& input, Clock& clock, Mixer& mixer, Transcript& transcript,
                   const fs::path& program_folder, const std::function<int()>& program) {
  SimWindowSystem windows(clock, transcript);
  SimSpeech speech(transcript);
  SimShell shell(transcript, program_folder);
  windows.set_input(&input);
  const InterfaceServices services(windows, speech, clock);
  const SoundServices sound(mixer, [&transcript](std::string_view what, std::string_view file) {
    transcript.write(file.empty() ? std::string(what) : std::string(what) + " " + in_quotes(file));
  });
  const ShellService shell_service(shell);
  const FreshInterface interface;
  record_asks_in([&transcript](std::string_view chain, int pressed) {
    transcript.write("ask " + in_quotes(chain) + " -> " + std::to_string(pressed));
  });
  const int code = run_program(program, transcript, windows);
  transcript.write("exit " + std::to_string(code));
  return code;
}

}  // namespace

int run_scripted_session(const std::string& script_file, std::ostream* transcript_out,
                         const std::function<int()>& program, const std::string& sound_out,
                         const fs::path& program_folder) {
  const std::optional<std::string> text = read_file(path_of(script_file), kScriptLimit);
  if (!text) {
    std::cerr << "script introuvable ou illisible : " << script_file << "\n";
    return 2;
  }
  if (text->size() >= kScriptLimit) {
    std::cerr << "script trop long (1 Mo au plus) : " << script_file << "\n";
    return 2;
  }
  auto parsed = parse_script(*text);
  if (const auto* error = std::get_if<ScriptError>(&parsed)) {
    std::cerr << error->message << "\n";
    return 2;
  }
  auto& commands = std::get<std::vector<ScriptCommand>>(parsed);
  Mixer mixer;
  RenderingClock clock({2026, 1, 5, 9, 0, 0, 0}, mixer);
  Transcript transcript(clock, transcript_out != nullptr ? transcript_out : &std::cerr);
  ScriptInput input(
      {std::make_move_iterator(commands.begin()), std::make_move_iterator(commands.end())}, clock,
      &clock);
  input.start_clock();
  const int code = run_in_session(input, clock, mixer, transcript, program_folder, program);
  if (!sound_out.empty() &&
      !write_wav(path_of(sound_out), Pcm{clock.rate(), 2, clock.rendered()})) {
    std::cerr << "impossible d'écrire le son de la session : " << sound_out << "\n";
  }
  return code;
}

int run_terminal_session(TerminalLines& typed, std::ostream& transcript_out, Clock& clock,
                         Mixer& mixer, const fs::path& program_folder,
                         const std::function<int()>& program) {
  Transcript transcript(clock, &transcript_out);
  const auto tell = [&transcript](const ScriptError& error) {
    transcript.write("script-error " + in_quotes(error.message));
  };
  int typed_lines = 0;
  const auto more = [&](std::deque<ScriptCommand>& commands) {
    while (std::optional<std::string> line = typed.next()) {
      auto parsed = parse_script_line(*line, ++typed_lines);
      if (const auto* error = std::get_if<ScriptError>(&parsed)) {
        tell(*error);
      } else if (auto& command = std::get<std::optional<ScriptCommand>>(parsed)) {
        commands.push_back(std::move(*command));
      }
    }
    return !typed.ended();
  };
  ScriptInput input({}, clock, nullptr, more, tell);
  return run_in_session(input, clock, mixer, transcript, program_folder, program);
}

// The session's settings come from the environment, in UTF-8 on every system.
std::optional<std::string> script_from_environment() {
  const std::optional<std::string> ui = environment_variable("TAVELO_UI");
  if (!ui) return std::nullopt;
  const std::string_view value = *ui;
  if (!value.starts_with("script:")) return std::nullopt;
  return std::string(value.substr(7));
}

std::optional<int> run_session_from_environment(const fs::path& program_folder,
                                                const std::function<int()>& program) {
  const std::optional<std::string> script = script_from_environment();
  if (!script) return std::nullopt;
  const std::string sound_out = environment_variable("TAVELO_SOUND_OUT").value_or("");
  const std::string transcript_file = environment_variable("TAVELO_TRANSCRIPT").value_or("");
  if (transcript_file.empty()) {
    return run_scripted_session(*script, nullptr, program, sound_out, program_folder);
  }
  std::ofstream transcript(path_of(transcript_file), std::ios::binary | std::ios::trunc);
  if (!transcript) {
    std::cerr << "impossible d'écrire le journal de session : " << transcript_file << "\n";
    return 2;
  }
  return run_scripted_session(*script, &transcript, program, sound_out, program_folder);
}

}  // namespace tavelo
