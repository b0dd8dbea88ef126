#include "access/window_prompts.hpp"

#include "platform/services.hpp"

namespace tavelo {

void WindowPrompts::notice(std::string_view text) {
  std::string_view title = "Notice...";
  std::string_view body = text;
  const auto cut = text.find_first_of("\r|");
  if (cut != std::string_view::npos) {
    body = text.substr(cut + 1);
    if (cut > 0) title = text.substr(0, cut);
  }
  window_system().message_box(title, body);
}

bool WindowPrompts::question(std::string_view text) {
  return window_system().yes_no_box("Confirmation ??", text);
}

std::optional<std::string> WindowPrompts::input(std::string_view title, std::string_view prompt,
                                                std::string_view proposed) {
  return window_system().input_box(title, prompt, proposed);
}

std::vector<std::string> WindowPrompts::open_files(std::string_view title,
                                                  std::string_view pattern,
                                                  std::string_view folder) {
  return window_system().open_files_dialog(title, pattern, folder);
}

std::optional<std::string> WindowPrompts::open_file(std::string_view title,
                                                   std::string_view pattern,
                                                   std::string_view folder) {
  return window_system().open_file_dialog(title, pattern, folder);
}

std::optional<std::string> WindowPrompts::folder(std::string_view title) {
  return window_system().folder_dialog(title);
}

}  // namespace tavelo
