#pragma once

#include "platform/network.hpp"

namespace tavelo {

// The network on libcurl. Every call uses its own transfer handle, so calls from several
// threads do not meet; an FTP session keeps one handle and with it one connection.
class CurlNetwork final : public Network {
 public:
  explicit CurlNetwork(NetworkOptions options = {});

  bool get_to_file(const std::string& url, const fs::path& file,
                   std::stop_token stop = {}) override;
  std::optional<std::string> get_to_memory(const std::string& url, std::size_t limit = kPageLimit,
                                           std::stop_token stop = {}) override;
  bool send_mail(const SmtpServer& server, const MailMessage& message) override;
  std::unique_ptr<FtpSession> open_ftp(const FtpAccount& account,
                                       NetworkDeadline deadline) override;

 private:
  NetworkOptions options_;
};

}  // namespace tavelo
