#include "dialoglib/dialogs.hpp"

#include <algorithm>
#include <vector>

#include "access/dialog.hpp"
#include "access/speech.hpp"
#include "planning/text.hpp"
#include "platform/parlon_exports.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

constexpr int kCountdownLabel = 21;
constexpr int kCountdownTimer = 1;
constexpr int kHighestMnemonic = 20;
constexpr int kFirstButtonRow = 13;
constexpr int kButtonColumn = 5;
constexpr int kLastButtonColumn = 75;
// A window system that never activates the dialog must not keep the user waiting forever.
constexpr int kForegroundTries = 20;

struct Item {
  std::string caption;
  bool check_box = false;
  bool checked = false;
  bool cancel = false;
};

Item item_of(std::string_view text) {
  Item item;
  item.check_box = text.find("/chk") != std::string_view::npos;
  item.cancel = !item.check_box && (text == "annuler" || text == "&annuler");
  const auto equals = text.find('=');
  item.caption = item.check_box ? text.substr(0, equals) : text;
  if (item.check_box && equals != std::string_view::npos) {
    const std::string_view state = text.substr(equals + 1);
    item.checked = state.substr(0, state.find('=')) == "on";
  }
  return item;
}

std::vector<Item> items_of(std::string_view buttons) {
  std::vector<Item> items;
  if (buttons.find('|') == std::string_view::npos) return items;
  for (;;) {
    const auto bar = buttons.find('|');
    items.push_back(item_of(buttons.substr(0, bar)));
    if (bar == std::string_view::npos) return items;
    buttons.remove_prefix(bar + 1);
  }
}

int length_of(std::string_view text) {
  return static_cast<int>(character_count(text));
}

// Buttons and check boxes in rows from row 13, column 5; a row ends past column 75.
// Returns the number of the Cancel item, 0 when there is none.
int place_items(const std::vector<Item>& items) {
  int row = kFirstButtonRow;
  int column = kButtonColumn;
  int cancel = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Item& item = items[i];
    const int number = static_cast<int>(i) + 1;
    const int length = length_of(item.caption);
    if (item.check_box) {
      AddCheckBox(number, item.caption, row, column, length + 4);
      SetControlState(number, item.checked ? 1 : 0);
    } else if (item.cancel) {
      AddCancelButton(row, column);
      cancel = number;
    } else {
      AddButton(number, item.caption, row, column, length + 2);
    }
    if (i + 1 == items.size()) break;
    column += length + 4;
    if (column > kLastButtonColumn) {
      row += 4;
      column = kButtonColumn;
    }
  }
  return cancel;
}

bool dialog_in_front() {
  const WindowSystem& ws = window_system();
  return ws.program_in_foreground() && ws.foreground_window() == dialog_state().window;
}

// Alt+Shift+Tab until the dialog is the active window.
void bring_to_front() {
  for (int tries = 0; tries < kForegroundTries && !dialog_in_front(); ++tries) {
    const auto step = [](int key, int how) {
      SimulateKey(key, how);
      WaitWithEvents(50, 10, false);
    };
    step(vk::alt, 1);
    step(vk::shift, 1);
    step(vk::tab, 0);
    step(vk::alt, 2);
    step(vk::shift, 2);
  }
}

std::string countdown_text(int seconds) {
  return std::to_string(seconds) + " seconde(s)...";
}

std::string button_event(int number) {
  return std::string("btn") + std::to_string(number);
}

// Waits for a button; the countdown presses the default one when it reaches 0.
std::string wait_for_button(int seconds, int default_button, int cancel) {
  int second = interface_clock().now().second;
  for (;;) {
    std::string event = WaitDialogEvent(-1);
    if (event == "timer1" && seconds > 0) {
      const int now = interface_clock().now().second;
      if (now != second) {
        --seconds;
        second = now;
        AddLabel(kCountdownLabel, countdown_text(seconds), 30, 10);
      }
      if (seconds == 0) event = button_event(default_button);
    }
    if (event == "btncancel" && cancel != 0) event = button_event(cancel);
    if (event.find("btn") != std::string::npos) return event;
  }
}

}  // namespace

std::string run_parlon(std::string_view title, std::string_view message, int seconds,
                       std::string_view buttons, int default_button, std::string_view sound) {
  const std::vector<Item> items = items_of(buttons);
  // With buttons of its own the dialog has no OK button.
  OpenDialog(items.empty() ? "d" : "", 1, 1, 32, 78, title.empty() ? "confirmation" : title);
  if (!message.empty()) {
    WaitWithEvents(100, 10, false);
    Speak(message, 0);
    AddEditor(kNoticeEditor, message, 1, 1, 78, 10, kReadOnly);
  }
  window_system().play_sound(sound);
  int cancel = 0;
  if (!items.empty()) {
    cancel = place_items(items);
    AddMnemonics(kHighestMnemonic);
    FocusControl(default_button == cancel ? kCancelButton : default_button);
  }
  bring_to_front();
  if (seconds > 0) {
    AddLabel(kCountdownLabel, countdown_text(seconds), 30, 10);
    StartDialogTimer(kCountdownTimer, 1000, 1);
  }
  const std::string event = wait_for_button(seconds, default_button, cancel);
  if (items.empty()) return "";
  std::string result = event.substr(3);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    if (items[i].check_box && ControlState(number) != 0) {
      result += ' ';
      result += std::to_string(number);
    }
  }
  return result;
}

std::string run_findbox(bool find_only) {
  OpenDialog("d", 0, 0, 13, 60, find_only ? "recherche" : "recherche et remplacement");
  AddCancelButton(0, 0);
  AddLabel(1, "recherche:", 2, 2);
  AddTextField(2, "", 2, 15, 40);
  if (!find_only) {
    AddLabel(3, "remplacement:", 4, 2);
    AddTextField(4, "", 4, 15, 40);
  }
  AddCheckBox(5, "recherche arrière", 8, 5, 21);
  if (!find_only) AddCheckBox(6, "tout remplacer", 8, 25, 18);
  FocusControl(2);
  bring_to_front();
  for (;;) {
    const std::string event = WaitDialogEvent(-1);
    // Closing the window is taken as Cancel: the user asked to leave the box.
    if (event == "btncancel" || event == "winclose") return "";
    if (event != "btnok") continue;
    const auto flag = [](int number) { return ControlState(number) != 0 ? "1" : "0"; };
    std::string answer = ControlText(2);
    answer += kFindSeparator;
    if (!find_only) answer += ControlText(4);
    answer += kFindSeparator;
    answer += flag(5);
    answer += kFindSeparator;
    answer += find_only ? std::string(kFindSeparator) : std::string(flag(6));
    return answer;
  }
}

}  // namespace tavelo
