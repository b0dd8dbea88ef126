#pragma once

#include <filesystem>
#include <optional>

#include "exchange/exchange_windows.hpp"
#include "exchange/import.hpp"

namespace tavelo {

// The import of an exchange file: the file given (named on the command line) or chosen in the
// open dialog "fichier à importer", staged, then the window "importation" where the user
// chooses what to take. Cancel leaves the plannings and the filter as they were. True when
// something was imported.
bool ImportExchangeFile(ExchangeWindows& w, const std::optional<std::filesystem::path>& given);

}  // namespace tavelo
