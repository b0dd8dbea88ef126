#include "access/key_names.hpp"

#include <cstdint>
#include <vector>

#include "access/dialog.hpp"
#include "access/interface_context.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

enum class Mode { both, sides, normal };

struct KeyName {
  int code;
  std::string name;
  Mode mode = Mode::both;
};

void add_range(std::vector<KeyName>& table, int first, int last, std::string_view prefix,
               char first_name) {
  for (int code = first; code <= last; ++code) {
    std::string name(prefix);
    if (first_name == '1' && code - first >= 9) {
      name += std::to_string(code - first + 1);
    } else {
      name += static_cast<char>(first_name + (code - first));
    }
    table.push_back({code, name});
  }
}

// The key table in its order: a name is made by appending, in this order, the names of the keys
// held down, whatever the order of pressing.
std::vector<KeyName> build_table() {
  std::vector<KeyName> t = {{1, "leftclick"},
                            {2, "rightclick"},
                            {160, "leftshift", Mode::sides},
                            {161, "rightshift", Mode::sides},
                            {162, "leftcontrol", Mode::sides},
                            {163, "rightcontrol", Mode::sides},
                            {17, "control", Mode::normal},
                            {18, "alt", Mode::normal},
                            {16, "shift", Mode::normal},
                            {8, "backspace"},
                            {9, "tab"},
                            {13, "enter"},
                            {19, "break"},
                            {20, "caplock"},
                            {27, "escape"},
                            {32, " "},
                            {33, "pageup"},
                            {34, "pagedown"},
                            {35, "end"},
                            {36, "home"},
                            {37, "left"},
                            {38, "up"},
                            {39, "right"},
                            {40, "down"},
                            {44, "printscreen"},
                            {45, "insert"},
                            {46, "delete"}};
  add_range(t, 48, 57, "", '0');
  add_range(t, 65, 90, "", 'a');
  t.push_back({93, "contex"});
  add_range(t, 96, 105, "pad", '0');
  const std::vector<KeyName> middle = {
      {106, "*"}, {107, "+"}, {109, "padminus"}, {110, "paddecimal"}, {111, "paddivide"}};
  t.insert(t.end(), middle.begin(), middle.end());
  add_range(t, 112, 123, "f", '1');
  const std::vector<KeyName> tail = {
      {186, ";"},  {187, "="},       {188, ","},          {189, "-"},   {190, "."},
      {191, "/"},  {144, "numlock"}, {145, "scrolllock"}, {192, "'"},   {219, "["},
      {220, "\\"}, {221, "]"},       {222, "`"},          {226, "quot"}};
  t.insert(t.end(), tail.begin(), tail.end());
  return t;
}

const std::vector<KeyName>& key_table() {
  static const std::vector<KeyName> table = build_table();
  return table;
}

bool later(std::uint32_t tick, std::uint32_t than) {
  return static_cast<std::int32_t>(tick - than) > 0;
}

std::string filtered(const std::string& name) {
  KeyRepeat& filter = interface_context().key_repeat;
  const std::uint32_t now = interface_clock().tick();
  if (name.empty()) {
    filter.last.clear();
    return "";
  }
  if (name != filter.last) {
    filter.last = name;
    filter.first_repeat = now + 300;
    return name;
  }
  if (later(now, filter.first_repeat) && later(now, filter.next_repeat)) {
    filter.next_repeat = now + 30;
    return name;
  }
  return "";
}

}  // namespace

std::string ReadKeyName(bool sides, bool repeat_filter, std::string_view) {
  std::string name;
  for (const KeyName& key : key_table()) {
    if (key.mode == (sides ? Mode::normal : Mode::sides)) continue;
    if (sides && key.code == vk::alt) continue;
    if (IsKeyDown(key.code)) name += key.name;
  }
  DialogState& d = dialog_state();
  if (d.alt_state == 1) return "";
  if (d.alt_state == 2) {
    d.alt_state = 0;
    return "";
  }
  return repeat_filter ? filtered(name) : name;
}

int KeyCodeOfName(std::string_view name) {
  for (const KeyName& key : key_table()) {
    if (key.name == name) return key.code;
  }
  return 0;
}

}  // namespace tavelo
