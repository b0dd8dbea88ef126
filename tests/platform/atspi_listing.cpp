#include "tests/platform/atspi_listing.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "tests/support/child_process.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {

namespace {

std::vector<AccessibleControl> parse(const std::string& listing) {
  std::vector<AccessibleControl> controls;
  std::istringstream lines(listing);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    AccessibleControl c;
    std::getline(fields, c.role, '\t');
    std::getline(fields, c.name, '\t');
    std::getline(fields, c.description, '\t');
    std::getline(fields, c.states, '\t');
    std::getline(fields, c.text, '\t');
    controls.push_back(c);
  }
  return controls;
}

}  // namespace

std::vector<AccessibleControl> controls_on_the_bus(const std::string& application,
                                                   const std::function<void()>& pump,
                                                   const std::string& then_keys,
                                                   const std::string& window) {
  TempFolder folder;
  const std::string listing = (folder.path() / "controls.txt").string();
  const int out = ::open(listing.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (out < 0) {
    ADD_FAILURE() << "cannot write " << listing;
    return {};
  }
  const std::string reader = std::string(TAVELO_SOURCE_DIR) + "/tests/platform/atspi_names.py";
  std::vector<std::string> words{"/bin/sh",
                                 "-c",
                                 "/usr/bin/python3 \"$0\" \"$1\" ${3:+\"$3\"} && "
                                 "{ [ -z \"$2\" ] || xdotool key $2; }",
                                 reader,
                                 application,
                                 then_keys,
                                 window};
  ChildProcess script(words, out);
  ::close(out);
  EXPECT_EQ(script.wait(60000, pump), 0);
  std::ifstream in(listing);
  return parse(std::string(std::istreambuf_iterator<char>(in), {}));
}

}  // namespace tavelo::testing
