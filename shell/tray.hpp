#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/url_task.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// Shows tray icon `icon` with its image, or changes the image of the one shown, and sets its
// tooltip; with `speak` the tooltip is said.
void SetTrayIcon(int icon, const fs::path& image, std::string_view tooltip, bool speak);
void RemoveTrayIcon(int icon);

// The tray icon of the URL tasks: the task's thread asks for it, the agenda's loop shows it on
// the user-interface thread.
class QueuedTrayIcon final : public UrlTaskIcon {
 public:
  void show(std::string_view tooltip) override;
  void remove() override;
  // Carries out what was asked since the last call, on tray icon `icon`.
  void apply(int icon, const fs::path& image);
  // True while something asked for is not carried out yet.
  bool changes_waiting();

 private:
  std::mutex mutex_;
  std::vector<std::optional<std::string>> changes_;  // a tooltip to show, or nothing to remove
};

// The sleep of the agenda asked for by the sleep file: tray icon 1 tells how long it still
// sleeps, a click on it offers to wake it up. The file is deleted when the sleep ends. It runs
// on the current window, which may be hidden.
void SleepMode(const fs::path& program_folder);

}  // namespace tavelo
