#pragma once

#include "exchange/exchange_windows.hpp"

namespace tavelo {

// The window "dossiers partagés": the permissions, the own identifier and the table of the
// other users' identifiers with their shared folders and FTP relays. OK stores and saves the
// settings; true then.
bool OpenSharingSettings(ExchangeWindows& w);

}  // namespace tavelo
