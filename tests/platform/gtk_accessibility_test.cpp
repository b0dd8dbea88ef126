// What a screen reader finds in a real dialog, read through the accessibility bus (AT-SPI).
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "access/dialog.hpp"
#include "access/speech.hpp"
#include "platform/linux/system_clock.hpp"
#include "platform/services.hpp"
#include "platform/sim/sim_speech.hpp"
#include "tests/platform/gui_session.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

struct AccessibleControl {
  std::string role;
  std::string name;
  std::string description;
};

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
    controls.push_back(c);
  }
  return controls;
}

TEST(GtkAccessibility, EveryFocusableControlHasANameAndOptionsTheirGroupLabel) {
  GtkWindowSystem& windows = testing::gui_windows();
  SystemClock clock;
  Transcript transcript(clock);
  SimSpeech speech(transcript);
  install_interface_services(windows, speech, clock);
  reset_dialog_layer();
  testing::open_sample_dialog(true);

  // The names the backend gives, as GTK holds them.
  EXPECT_EQ(windows.accessible_name(dialog_state().window, 2), "sujet");
  EXPECT_EQ(windows.accessible_name(dialog_state().window, 3), "rappel");
  EXPECT_EQ(windows.accessible_name(dialog_state().window, 8), "catégorie");
  EXPECT_EQ(windows.accessible_description(dialog_state().window, 6), "priorité");

  // The same as a screen reader reads them over the accessibility bus.
  testing::TempFolder folder;
  const std::string listing = (folder.path() / "controls.txt").string();
  const int out = ::open(listing.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(out, 0);
  testing::ChildProcess script(
      {"/usr/bin/python3", std::string(TAVELO_SOURCE_DIR) + "/tests/platform/atspi_names.py",
       "tavelo"},
      out);
  ::close(out);
  ASSERT_EQ(script.wait(60000, [] { WaitDialogEvent(50); }), 0);
  std::ifstream in(listing);
  const std::vector<AccessibleControl> controls =
      parse(std::string(std::istreambuf_iterator<char>(in), {}));

  ASSERT_GE(controls.size(), 8U) << "the dialog's controls are not all on the bus";
  int options = 0;
  for (const AccessibleControl& c : controls) {
    EXPECT_FALSE(c.name.empty()) << "a " << c.role << " has no name";
    if (c.role == "radio button") {
      ++options;
      EXPECT_EQ(c.description, "priorité") << c.name;
    }
  }
  EXPECT_EQ(options, 2);
}

}  // namespace
}  // namespace tavelo
