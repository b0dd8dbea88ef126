#include "shell/url_task.hpp"

#include <system_error>
#include <utility>

namespace tavelo {

std::string url_task_tooltip(std::string_view subject) {
  return "tâcheURL, " + std::string(subject);
}

bool RunUrlTask(std::stop_token stop, const std::string& subject, const std::string& url,
                Network& network, const fs::path& program_folder, UrlTaskIcon& icon) {
  icon.show(url_task_tooltip(subject));
  const fs::path answer = program_folder / kUrlTaskFile;
  // The answer only proves that the URL was called; nobody reads it.
  const bool answered = network.get_to_file(url, answer, stop);
  std::error_code error;
  fs::remove(answer, error);
  icon.remove();
  return answered;
}

UrlTaskRunner::UrlTaskRunner(std::shared_ptr<Network> network, fs::path program_folder,
                             UrlTaskIcon& icon)
    : network_(std::move(network)), program_folder_(std::move(program_folder)), icon_(icon) {}

UrlTaskRunner::~UrlTaskRunner() {
  stop();
}

void UrlTaskRunner::start(std::string subject, std::string& url) {
  if (url.empty()) return;  // already taken by this firing
  wait();
  running_ = true;
  worker_ = std::jthread(
      [this, subject = std::move(subject), url = std::exchange(url, {})](std::stop_token stop) {
        RunUrlTask(stop, subject, url, *network_, program_folder_, icon_);
        running_ = false;
      });
}

void UrlTaskRunner::wait() {
  if (worker_.joinable()) worker_.join();
}

void UrlTaskRunner::stop() {
  worker_.request_stop();
  wait();
}

}  // namespace tavelo
