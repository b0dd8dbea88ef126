#include "platform/lock_file.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/files.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::TempFolder;

// Another process that takes the lock and holds it until it is killed; it says on the pipe
// whether it got it.
class Holder {
 public:
  explicit Holder(const std::filesystem::path& file) {
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ends[0]);
      std::optional<LockFile> lock = LockFile::take(file);
      const char taken = lock ? 'y' : 'n';
      (void)!::write(ends[1], &taken, 1);
      for (;;) ::pause();
    }
    ::close(ends[1]);
    char taken = 'n';
    EXPECT_EQ(::read(ends[0], &taken, 1), 1);
    ::close(ends[0]);
    took_ = taken == 'y';
  }
  ~Holder() { kill(); }

  bool took() const { return took_; }
  void kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  bool took_ = false;
};

TEST(LockFile, OneProcessAtATimeHoldsItAndAKilledHolderReleasesIt) {
  TempFolder folder;
  const auto file = folder.path() / "agendalock";
  Holder holder(file);
  ASSERT_TRUE(holder.took());
  EXPECT_TRUE(lock_held_elsewhere(file));
  EXPECT_FALSE(LockFile::take(file));
  EXPECT_TRUE(file_exists(file));

  holder.kill();
  // The killed holder could not delete its file; the lock is free all the same.
  EXPECT_TRUE(file_exists(file));
  EXPECT_FALSE(lock_held_elsewhere(file));
  std::optional<LockFile> mine = LockFile::take(file);
  ASSERT_TRUE(mine);
  Holder late(file);
  EXPECT_FALSE(late.took());
  mine.reset();
  EXPECT_FALSE(file_exists(file));
}

TEST(LockFile, ALockNobodyHoldsIsTakenAndAMissingFolderIsNoLock) {
  TempFolder folder;
  const auto file = folder.path() / "agendalock";
  testing::write_bytes(file, "");
  EXPECT_FALSE(lock_held_elsewhere(file));
  EXPECT_FALSE(file_exists(file));
  EXPECT_FALSE(LockFile::take(folder.path() / "absent" / "agendalock"));
  EXPECT_FALSE(lock_held_elsewhere(folder.path() / "absent" / "agendalock"));
}

}  // namespace
}  // namespace tavelo
