#pragma once

#include <array>
#include <map>
#include <vector>

struct _XDisplay;

namespace tavelo {

// Windows virtual-key codes on an X server: each code stands for the physical keys that carry
// its key symbols in the server's current key map.
class X11Keys {
 public:
  explicit X11Keys(_XDisplay* display);

  // True when a key of that code is down now (asynchronous state, as the server sees it).
  bool down(int key) const;
  // The virtual-key code of an X key code; 0 when the key has none.
  int key_of(unsigned keycode) const;
  // True when the X key code is one of the keys of that code.
  bool carries(unsigned keycode, int key) const;
  // The X key code that synthesises the virtual key; 0 when the key map has none.
  unsigned keycode_of(int key) const;

 private:
  _XDisplay* display_;
  std::array<std::vector<unsigned>, 256> keycodes_;
  std::map<unsigned, int> keys_;
};

}  // namespace tavelo
