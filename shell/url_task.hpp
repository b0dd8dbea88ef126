#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

#include "platform/network.hpp"

namespace tavelo {

// Tray icon 2, shown while a URL task runs. The window system draws it; its calls come from the
// task's worker thread, so it passes them on to the user-interface thread itself.
class UrlTaskIcon {
 public:
  virtual ~UrlTaskIcon() = default;
  virtual void show(std::string_view tooltip) = 0;  // shows the icon and speaks the tooltip
  virtual void remove() = 0;
};

inline constexpr const char* kUrlTaskFile = "$tmp.tmp";

std::string url_task_tooltip(std::string_view subject);

// The worker thread's procedure: calls the URL into "$tmp.tmp" of the program folder and
// deletes that file (the answer itself is not used). The icon shows while it runs. A stop
// request ends the transfer at once. True when the URL answered.
bool RunUrlTask(std::stop_token stop, const std::string& subject, const std::string& url,
                Network& network, const fs::path& program_folder, UrlTaskIcon& icon);

// Runs URL tasks one at a time on a worker thread.
class UrlTaskRunner {
 public:
  UrlTaskRunner(std::shared_ptr<Network> network, fs::path program_folder, UrlTaskIcon& icon);
  ~UrlTaskRunner();  // stops the running task
  UrlTaskRunner(const UrlTaskRunner&) = delete;
  UrlTaskRunner& operator=(const UrlTaskRunner&) = delete;

  // Waits for the previous task to end, then starts this one. The URL is taken from the caller
  // and cleared there, so that the same firing cannot start it again.
  void start(std::string subject, std::string& url);

  // Waits for the running task, if any, to end by itself.
  void wait();

  // A click on tray icon 2: the transfer is cancelled (the thread is never killed) and the
  // thread ends after removing the icon.
  void stop();

  // True from the start of a task until it has asked for its icon to go.
  bool running() const { return running_; }

 private:
  std::shared_ptr<Network> network_;
  fs::path program_folder_;
  UrlTaskIcon& icon_;
  std::atomic<bool> running_ = false;
  std::jthread worker_;
};

}  // namespace tavelo
