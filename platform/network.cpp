#include "platform/network.hpp"

#include "platform/files.hpp"

namespace tavelo {

namespace {

bool starts_with_scheme(std::string_view address) {
  return address.starts_with("http://") || address.starts_with("https://");
}

std::string_view first_line(std::string_view text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

std::string_view trim_blanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<std::string> read_server_address(const fs::path& program_folder) {
  const auto bytes = read_file(program_folder / kServerAddressFile, 4096);
  if (!bytes) return std::nullopt;
  std::string_view address = trim_blanks(first_line(*bytes));
  while (address.ends_with('/')) address.remove_suffix(1);
  if (!starts_with_scheme(address) || address.find_first_of(" \t") != std::string_view::npos)
    return std::nullopt;
  return std::string(address);
}

std::string server_url(std::string_view base, std::string_view path) {
  std::string url(base);
  if (!path.starts_with('/') && !path.starts_with('\\')) url += '/';
  for (char c : path) {
    if (c == '\\')
      url += '/';
    else if (c == ' ')
      url += "%20";
    else
      url += c;
  }
  return url;
}

}  // namespace tavelo
