#include "planning/chain.hpp"

#include <optional>

#include "planning/text.hpp"
#include "platform/fault.hpp"

namespace tavelo {

namespace {

// Texts this long are not copied into the fault message.
constexpr std::size_t kLongestShownText = 2496;

bool is_separator(char32_t c, std::u32string_view separators) {
  return separators.find(c) != std::u32string_view::npos;
}

int count_fields(std::u32string_view text, std::u32string_view separators) {
  int count = 1;
  for (char32_t c : text) count += is_separator(c, separators) ? 1 : 0;
  return count;
}

void check_field_number(const char* title, std::string_view text, std::string_view separators,
                        std::u32string_view codepoints, int n, int count) {
  if (n <= count) return;
  std::string message = "élément suppérieur au nombre d'élément identifié.\r";
  if (codepoints.size() < kLongestShownText) {
    message += "chaîne: " + std::string(text);
  } else {
    message += "la chaîne est trop volumineuse pour être affichée...";
  }
  message += "\rséparration: " + std::string(separators);
  message += "\rnuméro d'élément demandé: " + std::to_string(n);
  message += "\rnombre d'élément identifié: " + std::to_string(count);
  throw Fault(title, message);
}

struct FieldSpan {
  std::size_t first;  // index of the field's first character in the working text
  std::size_t end;    // index of the separator that closes it
};

// Finds field n of the working text: the trimmed text followed by the first separator, so that
// the last field is closed like the others. Nothing when the text ends before field n closes.
std::optional<FieldSpan> locate_field(std::u32string_view trimmed, std::u32string_view separators,
                                      int n) {
  if (n < 1) return std::nullopt;
  if (separators.empty()) {
    return n == 1 ? std::optional<FieldSpan>({0, trimmed.size()}) : std::nullopt;
  }
  std::u32string working(trimmed);
  working += separators.front();
  std::size_t position = 0;
  for (int field = 1;; ++field) {
    std::size_t end = position;
    while (end < working.size() && !is_separator(working[end], separators)) ++end;
    if (end == working.size()) return std::nullopt;
    if (field == n) return FieldSpan{position, end};
    position = end + 1;
  }
}

std::string delimited_field(std::u32string_view text, std::u32string_view delimiter, int n) {
  if (n < 1) return {};
  if (delimiter.empty()) return n == 1 ? to_utf8(text) : std::string();
  std::size_t position = 0;
  for (int field = 1; field < n; ++field) {
    const std::size_t found = text.find(delimiter, position);
    if (found == std::u32string_view::npos) return {};
    position = found + delimiter.size();
  }
  return to_utf8(text.substr(position, text.find(delimiter, position) - position));
}

}  // namespace

int chaincount(std::string_view text, std::string_view separators) {
  return count_fields(to_codepoints(text), to_codepoints(separators));
}

std::string chain(std::string_view text, std::string_view separators, int n, int mode) {
  const std::u32string codepoints = to_codepoints(text);
  const std::u32string set = to_codepoints(separators);
  check_field_number("erreur chain()", text, separators, codepoints, n,
                     count_fields(codepoints, set));
  switch (mode) {
    case 0: {
      const std::u32string_view trimmed = trim_spaces(std::u32string_view(codepoints));
      const auto span = locate_field(trimmed, set, n);
      if (!span) return {};
      return to_utf8(trim_spaces(trimmed.substr(span->first, span->end - span->first)));
    }
    case 1: {
      const auto span = locate_field(codepoints, set, n);
      if (!span) return {};
      return to_utf8(std::u32string_view(codepoints).substr(span->first, span->end - span->first));
    }
    case 2:
      return delimited_field(codepoints, set, n);
    default:
      return {};
  }
}

namespace {

// leftchain and rightchain locate the field in the trimmed text but cut the text as given, so a
// text with leading spaces is cut as many characters early.
std::optional<FieldSpan> locate_for_cut(const char* title, std::string_view text,
                                        std::string_view separators,
                                        const std::u32string& codepoints, int n) {
  const std::u32string set = to_codepoints(separators);
  check_field_number(title, text, separators, codepoints, n, count_fields(codepoints, set));
  return locate_field(trim_spaces(std::u32string_view(codepoints)), set, n);
}

}  // namespace

std::string leftchain(std::string_view text, std::string_view separators, int n) {
  const std::u32string codepoints = to_codepoints(text);
  const auto span = locate_for_cut("erreur leftchain()", text, separators, codepoints, n);
  if (!span || span->first == span->end) return {};
  return to_utf8(std::u32string_view(codepoints).substr(0, span->end));
}

std::string rightchain(std::string_view text, std::string_view separators, int n) {
  const std::u32string codepoints = to_codepoints(text);
  const auto span = locate_for_cut("ereur rightchain()", text, separators, codepoints, n);
  if (!span) return {};
  return to_utf8(std::u32string_view(codepoints).substr(span->first));
}

}  // namespace tavelo
