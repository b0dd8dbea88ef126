#include "exchange/exchange_windows.hpp"

#include "access/dialog.hpp"
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

namespace {

constexpr int kChoiceLabel = 3, kSelectAll = 5, kSelectNone = 6;

constexpr ControlSpec kChoiceControls[] = {
    {ControlKind::label, kChoiceLabel, "planifications:", 4, 2},
    {ControlKind::list_box, kChoiceList, "", 5, 2, 66, 8, kSeveral},
    {ControlKind::button, kSelectAll, "&tout sélectionner", 14, 2, 22},
    {ControlKind::button, kSelectNone, "ne &rien sélectionner", 14, 26, 24},
};

const std::vector<std::string>& shown(const ChoiceList& list) {
  return list.by_category ? list.categories : list.plannings;
}

void mark_all(const ChoiceList& list, bool marked) {
  for (std::size_t i = 0; i < shown(list).size(); ++i) {
    MarkItem(kChoiceList, static_cast<int>(i), marked);
  }
  FocusControl(kChoiceList);
}

bool is_option(const Input& input, int number) {
  return input.event == "rd" + std::to_string(number);
}

}  // namespace

std::span<const ControlSpec> choice_list_controls() {
  return kChoiceControls;
}

void fill_choice_list(const ChoiceList& list) {
  ClearItems(kChoiceList);
  SetControlText(kChoiceLabel, list.by_category ? "catégories:" : "planifications:");
  for (const std::string& text : shown(list)) AddItem(kChoiceList, text);
  if (shown(list).empty()) {
    AddItem(kChoiceList, list.by_category ? "aucune catégorie" : "aucune planification", -1);
  }
}

bool follow_choice_list(ChoiceList& list, const Input& input) {
  if (is_option(input, kByPlanningOption) || is_option(input, kByCategoryOption)) {
    const bool by_category = ControlState(kByCategoryOption) != 0;
    if (by_category != list.by_category) {
      list.by_category = by_category;
      fill_choice_list(list);
    }
    return true;
  }
  if (!is_button(input, kSelectAll) && !is_button(input, kSelectNone)) return false;
  mark_all(list, is_button(input, kSelectAll));
  return true;
}

Marked marked_choices(const ChoiceList& list) {
  Marked marked;
  const std::vector<std::string>& entries = list.by_category ? list.categories : list.files;
  for (const int index : MarkedItems(kChoiceList)) {
    if (index >= 0 && static_cast<std::size_t>(index) < entries.size()) {
      (list.by_category ? marked.categories : marked.files)
          .push_back(entries[static_cast<std::size_t>(index)]);
    }
  }
  return marked;
}

int ReceiveNetworkPlanningsAtMinute(MinuteReceive& receive, ExchangeWindows& w) {
  const ExchangeContext context{w.program_folder, w.settings, w.clock, w.network, w.prompts};
  return ReceiveAtMinute(receive, context, show_timed_notice);
}

}  // namespace tavelo
