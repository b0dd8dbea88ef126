#include "platform/win32/command_line.hpp"

#include "platform/win32/wide.hpp"

namespace tavelo {

namespace {

// Backslashes double only before a quote, which itself gets one.
std::wstring quoted(const std::string& word) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : wide_of(word)) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, L'\\');
  return out + L"\"";
}

}  // namespace

std::wstring command_line_of(const std::vector<std::string>& words) {
  std::wstring line;
  for (const std::string& word : words) line += (line.empty() ? L"" : L" ") + quoted(word);
  return line;
}

}  // namespace tavelo
