#include "access/transfer_wait.hpp"

#include <future>

#include "access/speech.hpp"

namespace tavelo {

void WaitForTransferInWindow(const std::function<void()>& transfer) {
  // The transfer works in real time whatever the interface's clock, and so is it waited for.
  std::future<void> done = std::async(std::launch::async, transfer);
  if (done.wait_for(kTransferAnnouncement) != std::future_status::ready) {
    Speak("transfert en cours", 0);
  }
  done.get();
}

}  // namespace tavelo
