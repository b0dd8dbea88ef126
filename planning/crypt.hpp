#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavelo {

inline constexpr const char* kCryptErrorTitle = "Erreur d'encryption :";
inline constexpr const char* kCryptRefusedText = "Valeur négative";

// Scrambles a short text (the mail password) by shifting each character's Windows-1252 code by
// an offset that runs back and forth between the key and ±1. Scrambling with -key restores it.
// A key of 0 is a programming fault (Fault). A text whose shifted codes would fall below 32, on
// the double quote or past 255 cannot be stored: the caller gets nothing and tells the user
// with kCryptErrorTitle / kCryptRefusedText instead of the program ending.
std::optional<std::string> crypt(std::string_view text, int key);

}  // namespace tavelo
