#include "shell/url_task.hpp"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "platform/portable/curl_network.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using namespace std::chrono_literals;
using testing::LocalServer;
using testing::read_bytes;
using testing::TempFolder;

// Records what the task asked of tray icon 2, from whichever thread.
class RecordingIcon final : public UrlTaskIcon {
 public:
  void show(std::string_view tooltip) override { record("show " + std::string(tooltip)); }
  void remove() override { record("remove"); }

  // False when nothing was shown within the time: a task that hangs fails the test.
  bool wait_until_shown(std::chrono::seconds patience) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, patience, [this] { return !events_.empty(); });
  }
  std::vector<std::string> events() {
    std::lock_guard lock(mutex_);
    return events_;
  }

 private:
  void record(std::string event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
    changed_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
};

struct UrlTaskFixture : ::testing::Test {
  TempFolder program, root;
  fs::path log = root.path() / "requests.log";
  LocalServer server{"http_server.py", {"--root", root.path().string(), "--log", log.string()}};
  std::shared_ptr<CurlNetwork> network =
      std::make_shared<CurlNetwork>(NetworkOptions{{2000ms, 30000ms, 30000ms}, {}});
  RecordingIcon icon;

  std::string url(const std::string& path) const { return "http://" + server.address() + path; }
};

TEST_F(UrlTaskFixture, TasksRunOneAtATimeAndLeaveNoFile) {
  testing::write_bytes(root.path() / "script.php", "ok");
  {
    UrlTaskRunner runner(network, program.path(), icon);
    std::string first = url("/slow?s=0.3");
    std::string second = url("/script.php?x=1");
    runner.start("Sauvegarde", first);
    EXPECT_TRUE(first.empty()) << "the URL is taken from the planning";
    runner.start("Sauvegarde", first);  // the same firing again: nothing to start
    runner.start("Arrosage", second);
    EXPECT_TRUE(second.empty());
    runner.wait();
  }
  EXPECT_EQ(icon.events(), (std::vector<std::string>{"show tâcheURL, Sauvegarde", "remove",
                                                     "show tâcheURL, Arrosage", "remove"}));
  EXPECT_EQ(read_bytes(log), "/slow?s=0.3\n/script.php?x=1\n");
  EXPECT_FALSE(fs::exists(program.path() / kUrlTaskFile));
}

TEST_F(UrlTaskFixture, StoppingCancelsTheTransfer) {
  std::stop_source stop;
  bool answered = true;
  std::thread task([&] {
    answered =
        RunUrlTask(stop.get_token(), "Lent", url("/slow?s=5"), *network, program.path(), icon);
  });
  EXPECT_TRUE(icon.wait_until_shown(30s)) << "the task never showed its icon";
  stop.request_stop();
  task.join();
  EXPECT_FALSE(answered) << "the slow answer never came";
  EXPECT_EQ(icon.events(), (std::vector<std::string>{"show tâcheURL, Lent", "remove"}));
  EXPECT_TRUE(fs::is_empty(program.path()));

  UrlTaskRunner runner(network, program.path(), icon);
  std::string slow = url("/slow?s=5");
  runner.start("Lent", slow);
  runner.stop();
  EXPECT_EQ(icon.events().back(), "remove");
}

}  // namespace
}  // namespace tavelo
