#include "access/window.hpp"

#include "access/dialog.hpp"
#include "access/key_names.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

void add_control(const ControlSpec& c) {
  switch (c.kind) {
    case ControlKind::label:
      AddLabel(c.number, c.text, c.row, c.column);
      break;
    case ControlKind::text_field:
      AddTextField(c.number, c.text, c.row, c.column, c.width, c.flags);
      break;
    case ControlKind::button:
      AddButton(c.number, c.text, c.row, c.column, c.width, c.height, c.flags);
      break;
    case ControlKind::check_box:
      AddCheckBox(c.number, c.text, c.row, c.column, c.width, c.height, c.flags);
      break;
    case ControlKind::option:
      AddOption(c.number, c.text, (c.flags & kGroupStart) != 0, c.row, c.column, c.width, c.height);
      break;
    case ControlKind::combo_box:
      AddCombo(c.number, c.row, c.column, c.width, c.height, c.flags);
      break;
    case ControlKind::list_box:
      AddList(c.number, c.row, c.column, c.width, c.height, c.flags);
      break;
    case ControlKind::multi_list:
      AddMultiList(c.number, c.row, c.column, c.width, c.height, c.flags);
      break;
    case ControlKind::tree:
      AddTree(c.number, c.row, c.column, c.width, c.height, c.flags);
      break;
    case ControlKind::editor:
      AddEditor(c.number, c.text, c.row, c.column, c.width, c.height, c.flags);
      break;
    case ControlKind::tab_panel:
      AddTabPanel(c.number, c.row, c.column, c.width, c.height);
      break;
  }
}

}  // namespace

void AddControls(std::span<const ControlSpec> table) {
  for (const ControlSpec& control : table) add_control(control);
  for (const ControlSpec& control : table) AddMnemonic(control.number);
}

void FillItems(int number, std::span<const std::string> items, int selected) {
  ClearItems(number);
  for (const std::string& item : items) AddItem(number, item);
  SetControlState(number, selected);
}

Input NextInput(int timeout_ms, bool repeat_filter) {
  Input input;
  input.event = WaitDialogEvent(timeout_ms);
  if (dialog_state().window_active) input.key = ReadKeyName(false, repeat_filter, input.event);
  return input;
}

std::optional<Input> WaitForInput(std::chrono::milliseconds duration,
                                  const std::function<bool(const Input&)>& stops) {
  const Clock& clock = interface_clock();
  const std::uint32_t deadline = clock.tick() + static_cast<std::uint32_t>(duration.count());
  for (auto left = static_cast<std::int32_t>(deadline - clock.tick()); left > 0;
       left = static_cast<std::int32_t>(deadline - clock.tick())) {
    Input input = NextInput(left);
    if (stops(input)) return input;
  }
  return std::nullopt;
}

}  // namespace tavelo
