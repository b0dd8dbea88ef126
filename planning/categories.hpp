#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "planning/prompts.hpp"

namespace tavelo {

namespace fs = std::filesystem;

inline constexpr const char* kFilterFile = "cat.bin";
inline constexpr const char* kTemplatePattern = "*.cat";

// "rdv/" + name + ".cat": the template of a category.
fs::path category_template_file(const fs::path& program_folder, std::string_view name);

// The name of a template file: the text between the last backslash or dot before the extension
// and the extension ("travail.cat" is "travail", "a.b.cat" is "b").
std::string category_name_of(std::string_view file_name);

// One entry per category template of "rdv", in listing order.
std::vector<std::string> listcategories(const fs::path& program_folder);

// A category that names a template file of "rdv" has no "/", no backslash and no "." (a dot would
// change the name the list reads back from the file). The notice that refuses another name:
inline constexpr std::string_view kBadCategoryName =
    "Tavelo\rUn nom de catégorie ne peut contenir ni \"/\", ni \"\\\", ni \".\".";
bool is_template_name(std::string_view name);

// cat.bin: a 16-bit count, then that many texts. A missing file is an empty filter; a file cut
// short or with a negative count gives nothing (the real-time agenda deletes such a file).
std::optional<std::vector<std::string>> read_filter(const fs::path& program_folder);
std::optional<std::vector<std::string>> read_filter_record(std::string_view record);
std::vector<std::string> loadfilter(const fs::path& program_folder);

// The whole record of a filter.
std::string write_filter(const std::vector<std::string>& filter);

// Appends the category to the filter and rewrites cat.bin. A category without a name tells
// "aucune catégorie n'est associée à cette planification", one already in the filter "cette
// catégorie est déjà filtrée"; then nothing changes. True when the category was added.
bool addtofilter(const fs::path& program_folder, std::vector<std::string>& filter,
                 std::string_view category, Prompts& prompts);

// Removes entry `index` (from 0) and rewrites cat.bin, or deletes it when the filter is empty.
// False for an index the filter does not have.
bool removefromfilter(const fs::path& program_folder, std::vector<std::string>& filter,
                      std::size_t index);

// The category equals one of the filter's entries (exact comparison).
bool isfiltered(const std::vector<std::string>& filter, std::string_view category);

}  // namespace tavelo
