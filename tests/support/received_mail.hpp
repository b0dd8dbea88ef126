#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tavelo::testing {

// One message as the test SMTP server (tests/servers/smtp_server.py) recorded it.
struct ReceivedMail {
  std::string from;
  std::vector<std::string> recipients;  // the envelope's
  std::string text;                     // headers and body as sent
  std::optional<std::string> login;
};

std::vector<ReceivedMail> received_mails(const std::filesystem::path& log);

// A self-signed certificate for 127.0.0.1, made with openssl in `folder`.
struct TestCertificate {
  std::filesystem::path cert, key;
  explicit TestCertificate(const std::filesystem::path& folder);
};

}  // namespace tavelo::testing
