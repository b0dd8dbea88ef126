#include <filesystem>

#include "platform/files.hpp"
#include "platform/sim/sim_window_system.hpp"

namespace tavelo {

// The tray icons, sounds and standard dialogs of the simulated user: each writes its transcript
// line; a dialog takes the answer the user has ready, or its default.

void SimWindowSystem::set_tray_icon(int icon, std::string_view, std::string_view tooltip) {
  tray_[icon] = tooltip;
  transcript_.write("tray " + std::to_string(icon) + " " + in_quotes(tooltip));
}

void SimWindowSystem::remove_tray_icon(int icon) {
  if (tray_.erase(icon) != 0) transcript_.write("tray-remove " + std::to_string(icon));
}

std::optional<std::string> SimWindowSystem::tray_tooltip(int icon) const {
  const auto found = tray_.find(icon);
  if (found == tray_.end()) return std::nullopt;
  return found->second;
}

bool SimWindowSystem::tray_icon_shown(int icon) const {
  return notification_area_ && tray_.contains(icon);
}

void SimWindowSystem::offer_answers() {
  if (answers_.empty() && input_ != nullptr) input_->offer_answers(*this);
}

std::optional<std::string> SimWindowSystem::take_answer() {
  offer_answers();
  if (answers_.empty()) return std::nullopt;
  std::string answer = std::move(answers_.front());
  answers_.pop_front();
  return answer;
}

void SimWindowSystem::play_sound(std::string_view file) {
  std::error_code error;
  const bool playable = !file.empty() && std::filesystem::is_regular_file(path_of(file), error);
  transcript_.write(playable ? "sound " + in_quotes(file) : std::string("sound default"));
}

void SimWindowSystem::message_box(std::string_view title, std::string_view text) {
  offer_answers();
  if (!answers_.empty() && answers_.front() == "ok") answers_.pop_front();
  transcript_.write("notice " + in_quotes(title) + " " + in_quotes(text));
}

bool SimWindowSystem::yes_no_box(std::string_view, std::string_view text) {
  offer_answers();
  std::string outcome = "no (default)";
  if (!answers_.empty() && (answers_.front() == "yes" || answers_.front() == "no")) {
    outcome = *take_answer();
  }
  transcript_.write("question " + in_quotes(text) + " -> " + outcome);
  return outcome == "yes";
}

std::optional<std::string> SimWindowSystem::input_box(std::string_view title,
                                                      std::string_view prompt,
                                                      std::string_view preset) {
  const std::optional<std::string> answer = take_answer();
  const std::string head = "input " + in_quotes(title) + " " + in_quotes(prompt) + " -> ";
  if (!answer) {
    transcript_.write(head + in_quotes(preset) + " (default)");
    return std::string(preset);
  }
  if (*answer == "cancel") {
    transcript_.write(head + "cancel");
    return std::nullopt;
  }
  transcript_.write(head + in_quotes(*answer));
  return answer;
}

std::optional<std::string> SimWindowSystem::file_answer(std::string_view kind,
                                                        std::string_view title) {
  const std::optional<std::string> answer = take_answer();
  const std::string head = std::string(kind) + " " + in_quotes(title) + " -> ";
  if (!answer || *answer == "cancel") {
    transcript_.write(head + (answer ? "cancel" : "cancel (default)"));
    return std::nullopt;
  }
  transcript_.write(head + in_quotes(*answer));
  return answer;
}

std::optional<std::string> SimWindowSystem::open_file_dialog(std::string_view title,
                                                             std::string_view, std::string_view) {
  return file_answer("open-file", title);
}

std::vector<std::string> SimWindowSystem::open_files_dialog(std::string_view title,
                                                            std::string_view, std::string_view) {
  const std::optional<std::string> answer = take_answer();
  std::vector<std::string> chosen;
  if (answer && *answer != "cancel") chosen = pieces_between(*answer, '|');
  // Appended piece by piece: GCC 12's optimiser warns falsely (-Wrestrict) on " " + string.
  std::string line = "open-files ";
  line += in_quotes(title);
  line += " ->";
  if (chosen.empty()) line += answer ? " cancel" : " cancel (default)";
  for (const std::string& path : chosen) {
    line += ' ';
    line += in_quotes(path);
  }
  transcript_.write(line);
  return chosen;
}

std::optional<std::string> SimWindowSystem::save_file_dialog(std::string_view title,
                                                             std::string_view, std::string_view,
                                                             std::string_view) {
  return file_answer("save-file", title);
}

std::optional<std::string> SimWindowSystem::folder_dialog(std::string_view title) {
  return file_answer("folder", title);
}

}  // namespace tavelo
