#include "platform/portable/curl_network.hpp"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <system_error>

#include "platform/files.hpp"
#include "platform/os.hpp"

namespace tavelo {

namespace {

struct EasyCleanup {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using Easy = std::unique_ptr<CURL, EasyCleanup>;

struct ListCleanup {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using List = std::unique_ptr<curl_slist, ListCleanup>;

struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileClose>;

Easy new_easy() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  return Easy(curl_easy_init());
}

void append(List& list, const std::string& item) {
  curl_slist* grown = curl_slist_append(list.get(), item.c_str());
  if (grown != nullptr) {
    (void)list.release();
    list.reset(grown);
  }
}

long as_long(std::chrono::milliseconds duration) {
  return static_cast<long>(duration.count());
}

int on_progress(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<std::stop_token*>(stop)->stop_requested() ? 1 : 0;
}

// Time-outs, certificate checks and the stop request, shared by every kind of transfer.
void apply_common(CURL* easy, const NetworkOptions& options, std::stop_token& stop) {
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, as_long(options.timeouts.connect));
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, as_long(options.timeouts.total));
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME,
                   std::max(1L, as_long(options.timeouts.stall) / 1000));
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!options.trusted_certificates.empty()) {
    curl_easy_setopt(easy, CURLOPT_CAINFO, narrow_file_name(options.trusted_certificates).c_str());
    curl_easy_setopt(easy, CURLOPT_CAPATH, static_cast<char*>(nullptr));
  }
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, on_progress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &stop);
}

struct MemorySink {
  std::string bytes;
  std::size_t limit;
};

std::size_t to_memory(char* data, std::size_t size, std::size_t count, void* sink_pointer) {
  auto* sink = static_cast<MemorySink*>(sink_pointer);
  const std::size_t length = size * count;
  if (length > sink->limit - sink->bytes.size()) return 0;  // refused: the transfer fails
  sink->bytes.append(data, length);
  return length;
}

struct FileSink {
  std::FILE* file;
  std::size_t left;
};

std::size_t to_file(char* data, std::size_t size, std::size_t count, void* sink_pointer) {
  auto* sink = static_cast<FileSink*>(sink_pointer);
  const std::size_t length = size * count;
  if (length > sink->left) return 0;
  sink->left -= length;
  return std::fwrite(data, 1, length, sink->file);
}

void remove_quietly(const fs::path& file) {
  std::error_code error;
  fs::remove(file, error);
}

// Runs the prepared transfer into a temporary file next to `file`, which replaces `file` only
// when the transfer is complete.
bool perform_to_file(CURL* easy, const fs::path& file) {
  std::string partial_name = "~";  // never matched by the program's listing patterns
  partial_name += file.filename().string();
  partial_name += ".part";
  const fs::path partial = file.parent_path() / partial_name;
  File out(open_file(partial, "wb"));
  if (!out) return false;
  FileSink sink{out.get(), kDownloadLimit};
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, to_file);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &sink);
  const bool fetched = curl_easy_perform(easy) == CURLE_OK;
  const bool closed = std::fclose(out.release()) == 0;
  std::error_code error;
  if (fetched && closed) fs::rename(partial, file, error);
  if (!fetched || !closed || error) {
    remove_quietly(partial);
    return false;
  }
  return true;
}

std::optional<std::string> perform_to_memory(CURL* easy, std::size_t limit) {
  MemorySink sink{{}, limit};
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, to_memory);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &sink);
  if (curl_easy_perform(easy) != CURLE_OK) return std::nullopt;
  return std::move(sink.bytes);
}

void prepare_http_get(CURL* easy, const std::string& url) {
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, "Tavelo");
}

bool valid_port(int port) {
  return port > 0 && port < 65536;
}

// ---- mail ----

// A header never carries a line break from its value: that would let a subject or an address
// add headers of its own.
std::string single_line(std::string_view text) {
  std::string line;
  for (char c : text) line += (c == '\r' || c == '\n') ? ' ' : c;
  return line;
}

std::string base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned n = unsigned(static_cast<unsigned char>(bytes[i])) << 16 |
                       unsigned(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                       unsigned(static_cast<unsigned char>(bytes[i + 2]));
    for (int shift = 18; shift >= 0; shift -= 6) out += kDigits[(n >> shift) & 63];
  }
  if (i < bytes.size()) {
    unsigned n = unsigned(static_cast<unsigned char>(bytes[i])) << 16;
    if (i + 1 < bytes.size()) n |= unsigned(static_cast<unsigned char>(bytes[i + 1])) << 8;
    out += kDigits[(n >> 18) & 63];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

// French subjects carry accents: they travel as UTF-8 encoded words.
std::string header_text(std::string_view text) {
  const std::string line = single_line(text);
  const bool plain = std::all_of(line.begin(), line.end(), [](char c) {
    return static_cast<unsigned char>(c) >= 32 && static_cast<unsigned char>(c) < 127;
  });
  return plain ? line : "=?UTF-8?B?" + base64(line) + "?=";
}

std::string mail_date() {
  const std::time_t now = std::time(nullptr);
  const std::tm local = local_calendar(now);
  char text[64];
  const std::size_t length = std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S %z", &local);
  return std::string(text, length);
}

std::string with_crlf(std::string_view body) {
  std::string out;
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] == '\n' && (i == 0 || body[i - 1] != '\r')) out += '\r';
    out += body[i];
  }
  return out;
}

// The blind copies are recipients of the envelope only: no header names them.
std::string mail_text(const MailMessage& message) {
  std::string to;
  for (const auto& address : message.to) to += (to.empty() ? "" : ", ") + single_line(address);
  return "Date: " + mail_date() + "\r\nFrom: " + single_line(message.from) + "\r\nTo: " + to +
         "\r\nSubject: " + header_text(message.subject) +
         "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8"
         "\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" +
         with_crlf(message.body) + "\r\n";
}

std::size_t from_text(char* buffer, std::size_t size, std::size_t count, void* rest_pointer) {
  auto* rest = static_cast<std::string_view*>(rest_pointer);
  const std::size_t length = std::min(size * count, rest->size());
  std::copy_n(rest->data(), length, buffer);
  rest->remove_prefix(length);
  return length;
}

std::string envelope_address(std::string_view address) {
  std::string bracketed = "<";
  bracketed += single_line(address);
  bracketed += '>';
  return bracketed;
}

// ---- FTP ----

bool usable_name(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\r\n", 0) == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

std::vector<std::string> listed_names(std::string_view listing) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start < listing.size()) {
    const std::size_t end = std::min(listing.find('\n', start), listing.size());
    std::string_view line = listing.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (const auto slash = line.rfind('/'); slash != std::string_view::npos)
      line.remove_prefix(slash + 1);
    if (usable_name(line)) names.emplace_back(line);
    start = end + 1;
  }
  return names;
}

class CurlFtpSession final : public FtpSession {
 public:
  CurlFtpSession(Easy easy, FtpAccount account, NetworkOptions options, NetworkDeadline deadline)
      : easy_(std::move(easy)),
        account_(std::move(account)),
        options_(std::move(options)),
        deadline_(deadline) {}

  bool log_in() {
    if (!prepare(folder_url(absolute_, steps_))) return false;
    curl_easy_setopt(easy_.get(), CURLOPT_NOBODY, 1L);
    return curl_easy_perform(easy_.get()) == CURLE_OK;
  }

  bool change_folder(std::string_view folder) override {
    bool absolute = folder.starts_with('/');
    std::vector<std::string> steps = absolute ? std::vector<std::string>{} : steps_;
    if (!absolute) absolute = absolute_;
    for (auto& step : pieces_between(folder, '/')) steps.push_back(std::move(step));
    if (!list_folder(absolute, steps)) return false;
    absolute_ = absolute;
    steps_ = std::move(steps);
    return true;
  }

  std::optional<std::vector<std::string>> list_names() override {
    auto listing = list_folder(absolute_, steps_);
    if (!listing) return std::nullopt;
    return listed_names(*listing);
  }

  bool upload(const fs::path& local_file, std::string_view remote_name) override {
    if (!usable_name(remote_name)) return false;
    std::error_code error;
    const auto size = fs::file_size(local_file, error);
    File in(open_file(local_file, "rb"));
    if (error || !in || !prepare(folder_url(absolute_, steps_) + escaped(remote_name))) {
      return false;
    }
    curl_easy_setopt(easy_.get(), CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(easy_.get(), CURLOPT_READDATA, in.get());
    curl_easy_setopt(easy_.get(), CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    return curl_easy_perform(easy_.get()) == CURLE_OK;
  }

  bool download(std::string_view remote_name, const fs::path& local_file) override {
    if (!usable_name(remote_name) ||
        !prepare(folder_url(absolute_, steps_) + escaped(remote_name))) {
      return false;
    }
    return perform_to_file(easy_.get(), local_file);
  }

  // The session never changes the server's folder (every command names its full path), so
  // the delete command, sent straight after the login, names the file from the login folder.
  bool remove(std::string_view remote_name) override {
    if (!usable_name(remote_name)) return false;
    std::string path = absolute_ ? "/" : "";
    for (const auto& step : steps_) path += step + "/";
    List commands;
    append(commands, "DELE " + path + std::string(remote_name));
    if (!prepare(folder_url(false, {}))) return false;
    curl_easy_setopt(easy_.get(), CURLOPT_NOBODY, 1L);
    curl_easy_setopt(easy_.get(), CURLOPT_QUOTE, commands.get());
    return curl_easy_perform(easy_.get()) == CURLE_OK;
  }

 private:
  std::string escaped(std::string_view text) {
    char* escaped = curl_easy_escape(easy_.get(), text.data(), static_cast<int>(text.size()));
    std::string result = escaped ? escaped : "";
    curl_free(escaped);
    return result;
  }

  std::string folder_url(bool absolute, const std::vector<std::string>& steps) {
    std::string url = "ftp://" + account_.server + ":" + std::to_string(account_.port) + "/";
    if (absolute) url += "%2F";
    for (const auto& step : steps) url += escaped(step) + "/";
    return url;
  }

  // A fresh set of options on the same handle: the connection stays open between operations.
  // False once the deadline has passed; before it, the operation's time-outs end with it.
  bool prepare(const std::string& url) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline_ - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    CURL* easy = easy_.get();
    curl_easy_reset(easy);
    NetworkOptions bounded = options_;
    bounded.timeouts.connect = std::min(bounded.timeouts.connect, left);
    bounded.timeouts.total = std::min(bounded.timeouts.total, left);
    apply_common(easy, bounded, stop_);
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(easy, CURLOPT_USERNAME, account_.user.c_str());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, account_.password.c_str());
    curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    if (!account_.passive) curl_easy_setopt(easy, CURLOPT_FTPPORT, "-");
    return true;
  }

  std::optional<std::string> list_folder(bool absolute, const std::vector<std::string>& steps) {
    if (!prepare(folder_url(absolute, steps))) return std::nullopt;
    curl_easy_setopt(easy_.get(), CURLOPT_DIRLISTONLY, 1L);
    return perform_to_memory(easy_.get(), kPageLimit);
  }

  Easy easy_;
  FtpAccount account_;
  NetworkOptions options_;
  NetworkDeadline deadline_;
  std::stop_token stop_;
  bool absolute_ = false;
  std::vector<std::string> steps_;
};

}  // namespace

CurlNetwork::CurlNetwork(NetworkOptions options) : options_(std::move(options)) {}

bool CurlNetwork::get_to_file(const std::string& url, const fs::path& file, std::stop_token stop) {
  Easy easy = new_easy();
  if (!easy) return false;
  apply_common(easy.get(), options_, stop);
  prepare_http_get(easy.get(), url);
  return perform_to_file(easy.get(), file);
}

std::optional<std::string> CurlNetwork::get_to_memory(const std::string& url, std::size_t limit,
                                                      std::stop_token stop) {
  Easy easy = new_easy();
  if (!easy) return std::nullopt;
  apply_common(easy.get(), options_, stop);
  prepare_http_get(easy.get(), url);
  return perform_to_memory(easy.get(), limit);
}

bool CurlNetwork::send_mail(const SmtpServer& server, const MailMessage& message) {
  Easy easy = new_easy();
  if (!easy || !valid_port(server.port) || message.to.empty()) return false;
  std::stop_token never;
  apply_common(easy.get(), options_, never);
  const char* scheme = server.security == SmtpSecurity::kTls ? "smtps://" : "smtp://";
  if (server.security == SmtpSecurity::kStartTls)
    curl_easy_setopt(easy.get(), CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
  const std::string url = scheme + server.host + ":" + std::to_string(server.port);
  List recipients;
  for (const auto& address : message.to) append(recipients, envelope_address(address));
  for (const auto& address : message.blind_copies) append(recipients, envelope_address(address));
  const std::string from = envelope_address(message.from);
  const std::string text = mail_text(message);
  std::string_view rest = text;
  CURL* handle = easy.get();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  curl_easy_setopt(handle, CURLOPT_MAIL_FROM, from.c_str());
  curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, recipients.get());
  if (!server.user.empty()) {
    curl_easy_setopt(handle, CURLOPT_USERNAME, server.user.c_str());
    curl_easy_setopt(handle, CURLOPT_PASSWORD, server.password.c_str());
  }
  curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(handle, CURLOPT_READFUNCTION, from_text);
  curl_easy_setopt(handle, CURLOPT_READDATA, &rest);
  return curl_easy_perform(handle) == CURLE_OK;
}

std::unique_ptr<FtpSession> CurlNetwork::open_ftp(const FtpAccount& account,
                                                  NetworkDeadline deadline) {
  Easy easy = new_easy();
  if (!easy || !valid_port(account.port) || account.server.empty() ||
      account.server.find_first_of("/@:\r\n ") != std::string::npos)
    return nullptr;
  auto session = std::make_unique<CurlFtpSession>(std::move(easy), account, options_, deadline);
  if (!session->log_in()) return nullptr;
  return session;
}

}  // namespace tavelo
