#include "tests/platform/conformance.hpp"

#include <chrono>
#include <map>
#include <variant>

#include "access/dialog.hpp"
#include "access/dialog_state.hpp"
#include "access/interface_context.hpp"
#include "access/key_names.hpp"
#include "access/speech.hpp"
#include "app/scripted_session.hpp"
#include "platform/control_kinds.hpp"
#include "platform/services.hpp"

namespace tavelo::testing {

namespace {

constexpr std::uint32_t kPatienceMs = 10000;  // generous: the machine may be loaded
constexpr int kQuietRounds = 3;               // rounds with nothing due before a step is over

using Lines = std::vector<std::string>;

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  const auto last = text.find_last_not_of(" \r");
  return first == std::string_view::npos ? std::string_view()
                                         : text.substr(first, last - first + 1);
}

std::string_view next_word(std::string_view& rest) {
  rest = trimmed(rest);
  const std::string_view word = rest.substr(0, rest.find(' '));
  rest = trimmed(rest.substr(word.size()));
  return word;
}

int number_of(std::string_view word) {
  return std::stoi(std::string(word));
}

bool tick_in_future(std::uint32_t tick, std::uint32_t now) {
  return static_cast<std::int32_t>(tick - now) > 0;
}

// What a control shows the user now.
std::string value_of(int number, const ControlRecord& record) {
  const std::string state = std::to_string(ControlState(number));
  switch (record.kind) {
    case ControlKind::text_field:
    case ControlKind::editor: {
      const CaretPosition caret = EditorCaret(number);
      return in_quotes(ControlText(number)) + " " + std::to_string(caret.line) + ":" +
             std::to_string(caret.column);
    }
    case ControlKind::combo_box:
      return state + " " + in_quotes(ControlText(number));
    case ControlKind::list_box:
    case ControlKind::multi_list:
    case ControlKind::tree: {
      if (!keeps_marks(record.kind, record.flags)) return state;
      std::string marks;
      for (const int index : MarkedItems(number))
        marks += (marks.empty() ? "" : ",") + std::to_string(index);
      return state + " {" + marks + "}";
    }
    case ControlKind::check_box:
    case ControlKind::option:
    case ControlKind::tab_panel:
      return state;
    default:
      return {};
  }
}

// One run of a script: the program's side of the dialog loop, and what it saw.
class ScriptRun {
 public:
  explicit ScriptRun(KeyboardUser& user) : user_(user) {}

  void carry_out(std::string_view line, const std::function<void()>& open) {
    std::string_view rest = line;
    const std::string_view word = next_word(rest);
    if (word == "open") {
      open();
      settle();
    } else if (word == "start-timer") {
      const int id = number_of(next_word(rest));
      const int interval = number_of(next_word(rest));
      StartDialogTimer(id, interval, next_word(rest) == "repeat" ? 1 : 0);
    } else if (word == "stop-timer") {
      StopDialogTimer(number_of(next_word(rest)));
    } else if (word == "await") {
      await(rest);
    } else {
      user_command(line);
    }
    report_changes();
  }

  Lines take_lines() { return std::exchange(lines_, {}); }

 private:
  void user_command(std::string_view line) {
    auto parsed = parse_script(line);
    if (const auto* error = std::get_if<ScriptError>(&parsed)) {
      throw std::invalid_argument(error->message);
    }
    const ScriptCommand& c = std::get<std::vector<ScriptCommand>>(parsed).at(0);
    using Kind = ScriptCommand::Kind;
    switch (c.kind) {
      case Kind::key:
        for (const int key : c.keys) user_.press(key);
        take_events();
        for (auto key = c.keys.rbegin(); key != c.keys.rend(); ++key) user_.release(*key);
        break;
      case Kind::type:
        user_.type(c.text);
        break;
      case Kind::focus:
        user_.focus(c.number);
        break;
      case Kind::click:
        user_.click(c.number);
        break;
      case Kind::wait:
        pass(static_cast<std::uint32_t>(c.number));
        break;
      default:
        throw std::invalid_argument("commande sans équivalent au clavier : " + std::string(line));
    }
    settle();
  }

  // Nothing is on its way to the program: no event, no focus change it has not seen.
  bool caught_up() {
    const DialogState& s = dialog_state();
    const int focus = user_.windows().focused_control(s.window);
    return user_.caught_up() && (focus < 0 || focus == s.last_focused);
  }

  // Caught up, and the dialog layer waits for nothing of its own.
  bool idle() {
    const DialogState& s = dialog_state();
    return caught_up() && s.timers[kAltTimer].running == 0 &&
           s.timers[kOptionStepTimer].running == 0 && s.pending_announcement.empty() &&
           !tick_in_future(s.quiet_deadline, user_.clock().tick());
  }

  // One round of a dialog's loop, or a short pause of the user when nothing is due.
  bool round() {
    if (idle()) {
      user_.clock().sleep(std::chrono::milliseconds(10));
      return false;
    }
    const std::string event = WaitDialogEvent(10);
    return record(event, ReadKeyName(false, false, event));
  }

  bool record(const std::string& event, const std::string& key) {
    if (event.empty()) return false;
    lines_.push_back(key.empty() ? event : event + " [" + key + "]");
    return true;
  }

  void settle() {
    const std::uint32_t start = user_.clock().tick();
    for (int quiet = 0; quiet < kQuietRounds;) {
      if (user_.clock().tick() - start > kPatienceMs) {
        lines_.push_back("(the dialog never settled)");
        return;
      }
      quiet = round() || !idle() ? 0 : quiet + 1;
    }
  }

  // The program takes what the keys just pressed gave, while they are held.
  void take_events() {
    const std::uint32_t start = user_.clock().tick();
    while (!caught_up() && user_.clock().tick() - start < kPatienceMs) {
      const std::string event = WaitDialogEvent(10);
      record(event, ReadKeyName(false, false, event));
    }
  }

  void pass(std::uint32_t ms) {
    const std::uint32_t start = user_.clock().tick();
    while (user_.clock().tick() - start < ms) round();
  }

  void await(std::string_view name) {
    const std::uint32_t start = user_.clock().tick();
    while (user_.clock().tick() - start < kPatienceMs) {
      if (round() && lines_.back() == name) return;
    }
    lines_.push_back("(never came: " + std::string(name) + ")");
  }

  void report_changes() {
    const Lines& heard = user_.heard().lines();
    for (; heard_ < heard.size(); ++heard_) {
      const std::string said = heard[heard_].substr(13);
      if (said.starts_with("speak ")) lines_.push_back(said);
    }
    const int focus = user_.windows().focused_control(dialog_state().window);
    if (focus != focus_) lines_.push_back("= focus " + std::to_string(focus));
    focus_ = focus;
    for (const auto& [number, record] : dialog_state().records) {
      const std::string value = value_of(number, record);
      auto& shown = shown_[number];
      if (value != shown) lines_.push_back("= " + std::to_string(number) + " " + value);
      shown = value;
    }
  }

  KeyboardUser& user_;
  Lines lines_;
  std::size_t heard_ = 0;
  int focus_ = -1;
  std::map<int, std::string> shown_;
};

}  // namespace

void Conformance::SetUp() {
  user_ = GetParam().user();
  services_ =
      std::make_unique<InterfaceServices>(user_->windows(), user_->speech(), user_->clock());
  reset_interface();
  LoadSpeechLibraries();
}

void Conformance::TearDown() {
  if (dialog_state().window != 0) user_->windows().close_window(dialog_state().window);
  reset_interface();
  services_.reset();
}

void Conformance::check(const std::function<void()>& open, std::string_view script) {
  ScriptRun run(*user_);
  std::string expected;
  std::string reported;
  while (!script.empty()) {
    const auto end = script.find('\n');
    const std::string_view line = script.substr(0, end);
    script = end == std::string_view::npos ? std::string_view() : script.substr(end + 1);
    if (trimmed(line).empty() || line.starts_with("#")) continue;
    if (line.starts_with("  ")) {
      expected += std::string(line) + "\n";
      continue;
    }
    expected += std::string(line) + "\n";
    reported += std::string(line) + "\n";
    run.carry_out(line, open);
    for (const std::string& said : run.take_lines()) reported += "  " + said + "\n";
  }
  EXPECT_EQ(reported, expected) << "on " << GetParam().name;
}

}  // namespace tavelo::testing
