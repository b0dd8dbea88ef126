#pragma once

#include <chrono>
#include <functional>

namespace tavelo {

// How long a transfer may last before the user hears that it goes on.
inline constexpr std::chrono::milliseconds kTransferAnnouncement{1000};

// Runs a transfer with a server on a worker thread while the window waits for it: once it has
// lasted a second, the user hears "transfert en cours", so that a slow server is not taken for a
// program that froze. The transfer touches nothing of the interface; its time-outs end it.
void WaitForTransferInWindow(const std::function<void()>& transfer);

}  // namespace tavelo
