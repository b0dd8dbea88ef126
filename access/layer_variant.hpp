#pragma once

namespace tavelo {

// The dialog library compiles the dialog layer and the speech operations again, with
// TAVELO_DIALOG_LIBRARY set: its event translation is the reduced one (no option groups, combo
// boxes, lists, panels or tray icons), Return acts as OK on fewer controls, and its speech has
// no foreground test, no Shift tap and silences with an empty text.
#ifdef TAVELO_DIALOG_LIBRARY
inline constexpr bool kDialogLibrary = true;
#else
inline constexpr bool kDialogLibrary = false;
#endif

}  // namespace tavelo
