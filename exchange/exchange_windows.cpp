#include "exchange/exchange_windows.hpp"

#include "access/dialog_library.hpp"
#include "access/transfer_wait.hpp"
#include "planning/calendar.hpp"
#include "planning/settings.hpp"

namespace tavelo {

namespace {

void show_timed_notice(const std::string& chain) {
  AskUser(chain);
}

}  // namespace

ExchangeContext window_exchange_context(const ExchangeWindows& w) {
  ExchangeContext context{w.program_folder, w.settings, w.clock, w.network, w.prompts};
  context.wait_for_transfer = WaitForTransferInWindow;
  return context;
}

void save_window_settings(ExchangeWindows& w) {
  const int today = todaynumber(w.clock);
  if (savesettings(w.program_folder, w.settings, today)) w.settings.last_active_day = today;
}

int ReceiveNetworkPlannings(ExchangeWindows& w, bool show_errors) {
  return ReceiveSharedPlannings(window_exchange_context(w), show_errors, show_timed_notice);
}

int ReceiveNetworkPlanningsAtMinute(MinuteReceive& receive, ExchangeWindows& w) {
  const ExchangeContext context{w.program_folder, w.settings, w.clock, w.network, w.prompts};
  return ReceiveAtMinute(receive, context, show_timed_notice);
}

}  // namespace tavelo
