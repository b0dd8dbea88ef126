#include "tests/support/received_mail.hpp"

#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

#include "tests/support/local_server.hpp"
#include "tests/support/programs.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {

std::vector<ReceivedMail> received_mails(const std::filesystem::path& log) {
  std::vector<ReceivedMail> mails;
  std::istringstream lines(read_bytes(log));
  for (std::string line; std::getline(lines, line);) {
    const auto record = nlohmann::json::parse(line);
    ReceivedMail mail{record["from"], record["to"], record["text"], std::nullopt};
    if (!record["login"].is_null()) mail.login = record["login"];
    mails.push_back(std::move(mail));
  }
  return mails;
}

TestCertificate::TestCertificate(const std::filesystem::path& folder)
    : cert(folder / "cert.pem"), key(folder / "key.pem") {
  const bool made =
      run_host_program({"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                        "ec_paramgen_curve:prime256v1", "-nodes", "-days", "1", "-subj",
                        "/CN=localhost", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost",
                        "-keyout", key.string(), "-out", cert.string()});
  if (!made) throw std::runtime_error("openssl could not make the certificate");
}

}  // namespace tavelo::testing
