#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/child_process.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing::read_bytes;
using testing::write_bytes;

// The install script run as "make install" and "make uninstall" run it, with the home folder and
// the configuration folder of the test.
int install_script(const fs::path& home, const std::vector<std::string>& arguments) {
  std::vector<std::string> words{"env", "HOME=" + home.string(),
                                 "XDG_CONFIG_HOME=" + (home / "config").string(),
                                 TAVELO_SOURCE_DIR "/scripts/install"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  testing::ChildProcess script(words);
  return script.wait(30000, [] {});
}

TEST(Install, TheProgramFolderTheLauncherAndBothDesktopEntriesComeAndGoButTheDataStays) {
  testing::TempFolder home;
  const fs::path bin = fs::path(TAVELO_PROGRAM).parent_path();
  const fs::path prefix = home.path() / ".local";
  const fs::path folder = prefix / "lib" / "tavelo";
  ASSERT_EQ(install_script(home.path(), {"install", bin.string(), prefix.string()}), 0);

  for (const char* file : {"tavelo", "libtavelo_platform.so", "libparlon.so", "beep.wav",
                           "access.txt", "manual/cal.htm", "manual/intro.htm"}) {
    EXPECT_TRUE(fs::exists(folder / file)) << file;
  }
  EXPECT_FALSE(fs::exists(folder / "shell_tests"));
  EXPECT_EQ(fs::read_symlink(prefix / "bin" / "tavelo"), folder / "tavelo");
  const std::string desktop = read_bytes(prefix / "share/applications/tavelo.desktop");
  EXPECT_THAT(desktop, HasSubstr("Exec=\"" + (prefix / "bin/tavelo").string() + "\" /bureau\n"));
  const std::string autostart = read_bytes(home.path() / "config/autostart/tavelo.desktop");
  EXPECT_THAT(autostart, HasSubstr("Exec=\"" + (prefix / "bin/tavelo").string() + "\" /test\n"));

  // The user's data, and a reinstallation that leaves it alone.
  fs::create_directories(folder / "rdv");
  write_bytes(folder / "rdv" / "46000 09-30.gnd", "planification");
  write_bytes(folder / "agenda.bin", "réglages");
  ASSERT_EQ(install_script(home.path(), {"install", bin.string(), prefix.string()}), 0);
  EXPECT_EQ(read_bytes(folder / "agenda.bin"), "réglages");

  ASSERT_EQ(install_script(home.path(), {"uninstall", prefix.string()}), 0);
  EXPECT_FALSE(fs::exists(folder / "tavelo"));
  EXPECT_FALSE(fs::exists(folder / "manual"));
  EXPECT_FALSE(fs::exists(prefix / "bin" / "tavelo"));
  EXPECT_FALSE(fs::exists(prefix / "share/applications/tavelo.desktop"));
  EXPECT_FALSE(fs::exists(home.path() / "config/autostart/tavelo.desktop"));
  EXPECT_EQ(read_bytes(folder / "rdv" / "46000 09-30.gnd"), "planification");
  EXPECT_EQ(read_bytes(folder / "agenda.bin"), "réglages");

  ASSERT_EQ(install_script(home.path(), {"uninstall", prefix.string(), "purge"}), 0);
  EXPECT_FALSE(fs::exists(folder));
}

TEST(Install, AnIncompleteBuildInstallsNothing) {
  testing::TempFolder home;
  const fs::path empty_bin = home.path() / "bin";
  fs::create_directories(empty_bin);
  EXPECT_NE(install_script(home.path(), {"install", empty_bin.string(), home.path().string()}), 0);
  EXPECT_FALSE(fs::exists(home.path() / "lib" / "tavelo"));
  EXPECT_NE(install_script(home.path(), {"remove"}), 0);
}

}  // namespace
}  // namespace tavelo
