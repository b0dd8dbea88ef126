#include "planning/categories.hpp"

#include <algorithm>

#include "planning/chain.hpp"
#include "planning/planning_names.hpp"
#include "planning/record_io.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

fs::path category_template_file(const fs::path& program_folder, std::string_view name) {
  return planning_folder(program_folder) / (std::string(name) + ".cat");
}

std::string category_name_of(std::string_view file_name) {
  const int fields = chaincount(file_name, "\\.");
  if (fields < 2) return std::string(file_name);
  return chain(file_name, "\\.", fields - 1, 1);
}

std::vector<std::string> listcategories(const fs::path& program_folder) {
  std::vector<std::string> names;
  for (const std::string& file : list_files(planning_folder(program_folder), kTemplatePattern)) {
    names.push_back(category_name_of(file));
  }
  return names;
}

bool is_template_name(std::string_view name) {
  return !trim_spaces(name).empty() && name.find_first_of("/\\.") == std::string_view::npos;
}

namespace {

fs::path filter_file(const fs::path& program_folder) {
  return program_folder / kFilterFile;
}

bool save_filter(const fs::path& program_folder, const std::vector<std::string>& filter) {
  if (filter.empty()) {
    std::error_code error;
    fs::remove(filter_file(program_folder), error);
    return !error;
  }
  return write_file_atomically(filter_file(program_folder), write_filter(filter));
}

}  // namespace

std::optional<std::vector<std::string>> read_filter(const fs::path& program_folder) {
  const fs::path file = filter_file(program_folder);
  if (!file_exists(file)) return std::vector<std::string>{};
  const auto record = read_file(file);
  if (!record) return std::nullopt;
  return read_filter_record(*record);
}

std::optional<std::vector<std::string>> read_filter_record(std::string_view record) {
  RecordReader in(record);
  const int count = read16(in);
  if (in.ended() || count < 0) return std::nullopt;
  // Entries are made as the file supplies them, never from the count alone.
  std::vector<std::string> filter;
  for (int i = 0; i < count; ++i) {
    std::string entry = readstring(in);
    if (in.ended()) return std::nullopt;
    filter.push_back(std::move(entry));
  }
  return filter;
}

std::vector<std::string> loadfilter(const fs::path& program_folder) {
  return read_filter(program_folder).value_or(std::vector<std::string>{});
}

std::string write_filter(const std::vector<std::string>& filter) {
  RecordWriter out;
  print16(out, static_cast<std::int64_t>(filter.size()));
  for (const std::string& entry : filter) printstring(out, entry);
  return std::move(out.bytes);
}

bool addtofilter(const fs::path& program_folder, std::vector<std::string>& filter,
                 std::string_view category, Prompts& prompts) {
  if (trim_spaces(category).empty()) {
    prompts.notice("aucune catégorie n'est associée à cette planification");
    return false;
  }
  if (isfiltered(filter, category)) {
    prompts.notice("cette catégorie est déjà filtrée");
    return false;
  }
  filter.emplace_back(category);
  save_filter(program_folder, filter);
  return true;
}

bool removefromfilter(const fs::path& program_folder, std::vector<std::string>& filter,
                      std::size_t index) {
  if (index >= filter.size()) return false;
  filter.erase(filter.begin() + static_cast<std::ptrdiff_t>(index));
  save_filter(program_folder, filter);
  return true;
}

bool isfiltered(const std::vector<std::string>& filter, std::string_view category) {
  return std::find(filter.begin(), filter.end(), category) != filter.end();
}

}  // namespace tavelo
