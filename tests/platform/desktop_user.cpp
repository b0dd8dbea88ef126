#include "tests/platform/desktop_user.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "access/dialog.hpp"

namespace tavelo::testing {

std::vector<Named> read_listing(const std::filesystem::path& listing) {
  std::ifstream in(listing);
  std::vector<Named> controls;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    Named c;
    std::getline(fields, c.role, '\t');
    std::getline(fields, c.name, '\t');
    controls.push_back(c);
  }
  return controls;
}

std::unique_ptr<ChildProcess> user_at(const std::string& title,
                                      const std::filesystem::path& listing,
                                      const std::string& keys) {
  return std::make_unique<ChildProcess>(std::vector<std::string>{
      "sh", "-c",
      "/usr/bin/python3 \"$3\" tavelo \"$0\" > \"$1\" && "
      "xdotool search --sync --onlyvisible --name \"^$0$\" windowfocus --sync %1 && "
      "xdotool key --delay 400 $2; sleep 8; "
      "xdotool search --onlyvisible --name \"^$0$\" windowfocus %1 key Escape Escape",
      title, listing.string(), keys,
      std::string(TAVELO_SOURCE_DIR) + "/tests/platform/atspi_names.py"});
}

::testing::AssertionResult has(const std::vector<Named>& controls, const std::string& role,
                               const std::string& name) {
  if (std::any_of(controls.begin(), controls.end(),
                  [&](const Named& c) { return c.role == role && c.name == name; })) {
    return ::testing::AssertionSuccess();
  }
  auto failure = ::testing::AssertionFailure() << "no " << role << " \"" << name << "\" in:";
  for (const Named& c : controls) failure << "\n  " << c.role << " \"" << c.name << "\"";
  return failure;
}

std::vector<Named> listed_while(const std::string& title, const std::filesystem::path& listing,
                                const std::string& keys, const std::function<void()>& window) {
  constexpr int kUserPatienceMs = 5000;
  const auto user = user_at(title, listing, keys);
  window();
  // The window has closed on the user's keys, which came after the reader's list.
  user->stop(kUserPatienceMs, [] { WaitDialogEvent(50); });
  return read_listing(listing);
}

}  // namespace tavelo::testing
