#pragma once

#include "exchange/exchange_windows.hpp"
#include "exchange/export_form.hpp"

namespace tavelo {

// The export window in its three modes: the calendar report ("rapport du calendrier"), sharing
// with the recipients chosen ("partage de planifications"), and the exchange file
// ("exportation"). Sharing first makes sure it is allowed and has recipients.
void OpenExportDialog(ExchangeWindows& w, ExportMode mode);

}  // namespace tavelo
