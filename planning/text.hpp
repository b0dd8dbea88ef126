#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo {

// Texts live in memory as UTF-8; the files keep them as single Windows-1252 bytes.
// Characters the code page lacks are stored as "?".
std::string cp1252_from_utf8(std::string_view text);
void append_cp1252(std::string& out, std::string_view text);
std::string utf8_from_cp1252(std::string_view bytes);

// The text as the files keep it: what Windows-1252 lacks is "?".
std::string as_stored(std::string_view text);

// Code points of a UTF-8 text; an ill-formed byte counts as one U+FFFD.
std::u32string to_codepoints(std::string_view text);
std::string to_utf8(std::u32string_view codepoints);

std::size_t character_count(std::string_view text);

// Texts as they cross to the dialog library: UTF-32 where wchar_t has 32 bits, UTF-16
// elsewhere. A null text is empty.
std::wstring to_wide(std::string_view utf8);
std::string from_wide(const wchar_t* text);

// Leading and trailing spaces removed (spaces only, as the records trim them).
std::string_view trim_spaces(std::string_view text);
std::u32string_view trim_spaces(std::u32string_view text);

// The parts with the separator between them.
std::string joined(const std::vector<std::string>& parts, std::string_view separator);

// ASCII letters lowered, every other byte kept: file names and key names compare this way.
std::string lower_ascii(std::string_view text);

// Letters lowered, the accented ones of Latin-1 too ("É" is "é"): searches compare this way.
std::string lower_letters(std::string_view text);

// Letters lowered and stripped of their accents ("Été" is "ete"): the key of alphabetical
// orders, so that "école" comes between "dentiste" and "fête".
std::string sorting_key(std::string_view text);

// The number a text starts with, after optional spaces and a sign; 0 when there is none.
// Digits past the 64-bit range are ignored rather than overflowing.
std::int64_t leading_integer(std::string_view text);

// A number typed in a field: its leading integer kept within the bounds.
int typed_number(std::string_view text, int low, int high);

}  // namespace tavelo
