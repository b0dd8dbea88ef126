#include "platform/linux/x11_keys.hpp"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace tavelo {

namespace {

struct KeySymbols {
  int key;
  std::initializer_list<KeySym> symbols;
};

// The codes a common key goes by come first, so that a physical key reports the common code
// (Shift 16 rather than left Shift 160) while both read as held.
const std::initializer_list<KeySymbols> kNamedKeys = {
    {8, {XK_BackSpace}},
    {9, {XK_Tab, XK_ISO_Left_Tab}},
    {13, {XK_Return, XK_KP_Enter}},
    {16, {XK_Shift_L, XK_Shift_R}},
    {17, {XK_Control_L, XK_Control_R}},
    {18, {XK_Alt_L, XK_Alt_R, XK_Meta_L}},
    {19, {XK_Pause}},
    {20, {XK_Caps_Lock}},
    {27, {XK_Escape}},
    {32, {XK_space}},
    {33, {XK_Prior}},
    {34, {XK_Next}},
    {35, {XK_End}},
    {36, {XK_Home}},
    {37, {XK_Left}},
    {38, {XK_Up}},
    {39, {XK_Right}},
    {40, {XK_Down}},
    {44, {XK_Print}},
    {45, {XK_Insert}},
    {46, {XK_Delete}},
    {91, {XK_Super_L}},
    {92, {XK_Super_R}},
    {93, {XK_Menu}},
    {106, {XK_KP_Multiply}},
    {107, {XK_KP_Add}},
    {109, {XK_KP_Subtract}},
    {110, {XK_KP_Decimal, XK_KP_Delete}},
    {111, {XK_KP_Divide}},
    {144, {XK_Num_Lock}},
    {145, {XK_Scroll_Lock}},
    {160, {XK_Shift_L}},
    {161, {XK_Shift_R}},
    {162, {XK_Control_L}},
    {163, {XK_Control_R}},
    {164, {XK_Alt_L}},
    {165, {XK_Alt_R}},
    {186, {XK_semicolon}},
    {187, {XK_equal}},
    {188, {XK_comma}},
    {189, {XK_minus}},
    {190, {XK_period}},
    {191, {XK_slash}},
    {192, {XK_grave}},
    {219, {XK_bracketleft}},
    {220, {XK_backslash}},
    {221, {XK_bracketright}},
    {222, {XK_apostrophe}},
    {226, {XK_less}},
};

std::vector<std::pair<int, KeySym>> key_symbols() {
  std::vector<std::pair<int, KeySym>> all;
  for (const KeySymbols& named : kNamedKeys) {
    for (const KeySym symbol : named.symbols) all.emplace_back(named.key, symbol);
  }
  for (int i = 0; i < 10; ++i) {
    all.emplace_back('0' + i, XK_0 + static_cast<KeySym>(i));
    all.emplace_back(96 + i, XK_KP_0 + static_cast<KeySym>(i));
  }
  for (int i = 0; i < 26; ++i) all.emplace_back('A' + i, XK_a + static_cast<KeySym>(i));
  for (int i = 0; i < 12; ++i) all.emplace_back(112 + i, XK_F1 + static_cast<KeySym>(i));
  return all;
}

}  // namespace

X11Keys::X11Keys(_XDisplay* display) : display_(display) {
  for (const auto& [key, symbol] : key_symbols()) {
    const KeyCode code = XKeysymToKeycode(display_, symbol);
    if (code == 0) continue;
    keycodes_[static_cast<std::size_t>(key)].push_back(code);
    keys_.emplace(code, key);
  }
}

bool X11Keys::down(int key) const {
  if (key < 0 || key > 255) return false;
  char map[32];
  XQueryKeymap(display_, map);
  for (const unsigned code : keycodes_[static_cast<std::size_t>(key)]) {
    if ((static_cast<unsigned>(static_cast<unsigned char>(map[code / 8])) >> (code % 8)) & 1U) return true;
  }
  return false;
}

int X11Keys::key_of(unsigned keycode) const {
  const auto found = keys_.find(keycode);
  return found == keys_.end() ? 0 : found->second;
}

bool X11Keys::carries(unsigned keycode, int key) const {
  if (key < 0 || key > 255) return false;
  const std::vector<unsigned>& codes = keycodes_[static_cast<std::size_t>(key)];
  return std::find(codes.begin(), codes.end(), keycode) != codes.end();
}

unsigned X11Keys::keycode_of(int key) const {
  if (key < 0 || key > 255) return 0;
  const std::vector<unsigned>& codes = keycodes_[static_cast<std::size_t>(key)];
  return codes.empty() ? 0 : codes.front();
}

}  // namespace tavelo
