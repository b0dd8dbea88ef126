#pragma once

#include "platform/window_system.hpp"

namespace tavelo {

// What the flags make of a control, the same for every window system.

inline bool is_check_list(ControlKind kind, int flags) {
  return kind == ControlKind::list_box && (flags & kCheckList) != 0;
}

// A check list selects one item whatever its flags; its marks are the ticks.
inline bool selects_several(ControlKind kind, int flags) {
  return (kind == ControlKind::list_box || kind == ControlKind::multi_list) &&
         (flags & kSeveral) != 0 && !is_check_list(kind, flags);
}

inline bool keeps_marks(ControlKind kind, int flags) {
  return selects_several(kind, flags) || is_check_list(kind, flags);
}

inline bool is_editable_combo(ControlKind kind, int flags) {
  return kind == ControlKind::combo_box && (flags & kEditable) != 0;
}

// An option joins the group of the option numbered just before it, unless it starts a group:
// two groups with consecutive numbers stay apart.
inline bool joins_group_before(ControlKind kind, int flags) {
  return kind == ControlKind::option && (flags & kGroupStart) == 0;
}

}  // namespace tavelo
