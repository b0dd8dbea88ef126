#pragma once

namespace tavelo {

// How long the screen readers stay silent after a window changed, so that what they would say
// of the change does not cover what the program says of it.
inline constexpr int kSettleMs = 100;

// Lets the screen readers catch up with a window that changed: a reader that runs scripts
// refreshes its view, and the readers stay silent while the window settles.
void RefreshScreenReader();

}  // namespace tavelo
