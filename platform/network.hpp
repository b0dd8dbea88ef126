#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo {

namespace fs = std::filesystem;

// How long the network may keep a caller waiting. A dead server never freezes the agenda for
// longer than the connect or the stall time-out; the total time-out bounds everything else.
struct NetworkTimeouts {
  std::chrono::milliseconds connect{10'000};
  std::chrono::milliseconds stall{20'000};  // no byte received for this long ends a transfer
  std::chrono::milliseconds total{300'000};
};

struct NetworkOptions {
  NetworkTimeouts timeouts;
  // Certificates of servers reached over TLS are always verified; an empty file means the
  // system's trusted authorities, a named file trusts that file's certificates only.
  fs::path trusted_certificates;
};

// Nothing a server sends is kept past these sizes: a larger answer fails.
inline constexpr std::size_t kPageLimit = 1u << 20;        // answers read into memory
inline constexpr std::size_t kDownloadLimit = 512u << 20;  // files written to disk

enum class SmtpSecurity {
  kPlain,
  kTls,       // TLS from the first byte (SMTPS)
  kStartTls,  // plain at first, then upgraded by STARTTLS before anything else is sent
};

struct SmtpServer {
  std::string host;
  int port = 25;
  SmtpSecurity security = SmtpSecurity::kPlain;
  std::string user;      // no authentication when empty
  std::string password;  // in clear: unscrambled just before the call
};

struct MailMessage {
  std::string from;
  std::vector<std::string> to;
  std::vector<std::string> blind_copies;
  std::string subject;
  std::string body;
};

struct FtpAccount {
  std::string server;  // host name, without "ftp://"
  std::string user;
  std::string password;
  int port = 21;
  bool passive = true;
};

// The moment by which a whole exchange with a server is over, whatever is left of it: the time
// the user may be kept waiting, counted from the start of the exchange.
using NetworkDeadline = std::chrono::steady_clock::time_point;

// One connection to an FTP server, reused by every operation until the session is destroyed.
// Folder names are relative to the login folder; "/" separates levels. Past the deadline the
// session was opened with, every operation fails at once.
class FtpSession {
 public:
  virtual ~FtpSession() = default;
  virtual bool change_folder(std::string_view folder) = 0;
  virtual std::optional<std::vector<std::string>> list_names() = 0;
  virtual bool upload(const fs::path& local_file, std::string_view remote_name) = 0;
  virtual bool download(std::string_view remote_name, const fs::path& local_file) = 0;
  virtual bool remove(std::string_view remote_name) = 0;
};

// Everything the program asks of the network. Every operation may be called from any thread;
// a request to stop through the stop token ends a transfer within about a second.
class Network {
 public:
  virtual ~Network() = default;

  // HTTP(S) GET, redirects followed. The file is replaced only by a complete answer; a failed
  // or stopped transfer leaves whatever was there before.
  virtual bool get_to_file(const std::string& url, const fs::path& file,
                           std::stop_token stop = {}) = 0;
  virtual std::optional<std::string> get_to_memory(const std::string& url,
                                                   std::size_t limit = kPageLimit,
                                                   std::stop_token stop = {}) = 0;

  // True when the server accepted the message for every recipient.
  virtual bool send_mail(const SmtpServer& server, const MailMessage& message) = 0;

  // Logs in; nothing when the server does not answer or refuses the account. Every operation of
  // the session, the login included, ends by the deadline.
  virtual std::unique_ptr<FtpSession> open_ftp(const FtpAccount& account,
                                               NetworkDeadline deadline) = 0;
};

// The maker's web server: the base address written on the first line of "serveur.txt" in the
// program folder, such as "https://example.org/tavelo". None set (no file, an empty line, an
// address that is not http or https) means the server cannot be reached.
inline constexpr const char* kServerAddressFile = "serveur.txt";
std::optional<std::string> read_server_address(const fs::path& program_folder);

// A path of the maker's server ("/agmajidx5.txt", "news.htm") joined to its base address.
std::string server_url(std::string_view base, std::string_view path);

}  // namespace tavelo
