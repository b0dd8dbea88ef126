#include "platform/win32/command_line.hpp"

#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <gtest/gtest.h>
#include <shellapi.h>

#include "platform/win32/wide.hpp"

namespace tavelo {
namespace {

// Windows's own splitting, as a program's C runtime does it.
std::vector<std::string> split_back(const std::wstring& line) {
  int count = 0;
  wchar_t** words = CommandLineToArgvW(line.c_str(), &count);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(utf8_of(words[i]));
  LocalFree(words);
  return out;
}

TEST(CommandLine, EveryWordComesBackAsGiven) {
  const std::vector<std::string> words{"C:\\Program Files\\Tavelo\\tavelo.exe",
                                       "/test /go",
                                       "",
                                       "a \"cité\" b",
                                       "dossier\\",
                                       "fin\\\\\"",
                                       "a b; del * & echo %PATH%",
                                       "Noël"};
  EXPECT_EQ(split_back(command_line_of(words)), words);
}

}  // namespace
}  // namespace tavelo
