#include "exchange/exchange_file.hpp"

#include <algorithm>
#include <charconv>

#include "planning/categories.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_layout.hpp"
#include "planning/planning_list.hpp"
#include "planning/planning_names.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

namespace {

constexpr const char* kLineEnd = "\r\n";

bool fits(Number width, std::int64_t value) {
  switch (width) {
    case Number::kU8:
      return value >= 0 && value <= 255;
    case Number::kRecurrenceType:
      return value >= 1 && value <= 78;
    case Number::kI16:
      return value >= -32768 && value <= 32767;
    case Number::kI32:
      return value >= -2147483648LL && value <= 2147483647LL;
  }
  return false;
}

// A whole decimal number, optionally signed, with spaces around it allowed.
std::optional<std::int64_t> decimal(std::string_view text) {
  text = trim_spaces(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// A one-line value: a line break inside would shift every later field of the file. A carriage
// return that a line holds when read is taken the same way, so that what is read is what would
// be written.
void break_no_line(std::string& text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
}

std::string single_line(std::string_view bytes) {
  std::string line(bytes);
  break_no_line(line);
  return line;
}

// From the planning record to the lines of an exchange file (Windows-1252 bytes): each field
// read from the record is written as a line.
struct RecordToLines {
  FieldReader in;
  std::string& out;

  bool ended() const { return in.ended(); }
  bool at_end() const { return in.at_end(); }
  void line(std::string_view value) {
    if (in.ended()) return;
    out += value;
    out += kLineEnd;
  }
  void field(Number width, int& value) {
    in.field(width, value);
    line(std::to_string(value));
  }
  void field(Text form, std::string& value) {
    in.field(form, value);
    if (form == Text::kLines) {
      note(value);
    } else {
      line(single_line(cp1252_from_utf8(value)));
    }
  }
  void note(std::string_view value) {
    const std::string bytes = cp1252_from_utf8(value);
    line(std::to_string(bytes.size()));
    line(bytes);
  }
};

void write_entry(std::string& out, const ExchangeEntry& entry) {
  out += single_line(cp1252_from_utf8(entry.name)) + kLineEnd;
  const std::string record = write_planning(entry.planning);
  RecordToLines transfer{FieldReader(record), out};
  Planning stored;
  read_fields(kPlanningLayout, transfer, stored, Walk{});
  out += std::string(kEndOfPlan) + kLineEnd;
}

bool is_end_of_plan(std::string_view line) {
  return line == kEndOfPlan;
}

// A line's text as a record keeps it: a 0 byte, which would end a stored text, becomes "?".
std::string text_of_line(std::string_view line) {
  std::string text = utf8_from_cp1252(line);
  std::replace(text.begin(), text.end(), '\0', '?');
  return text;
}

// From the lines of an exchange file back to the fields of a planning. Read `whole`, every
// field is a line of its own whatever it holds, and "endofplan" must follow the last one.
// Otherwise (a file of an older version, whose plannings have fewer fields) the planning ends at
// the first "endofplan"; every field after that is left out, so it reads as a record cut short.
struct LinesToRecord {
  ExchangeReader& reader;
  bool whole;
  bool stopped = false;   // "endofplan" met, or the file ended
  bool complete = false;  // "endofplan" met
  bool valid = true;

  bool ended() const { return stopped; }
  bool at_end() const {
    return stopped || reader.at_end() || (!whole && is_end_of_plan(reader.peek_line()));
  }
  std::optional<std::string_view> next_value() {
    if (stopped) return std::nullopt;
    // Only "endofplan" and the end of the file end a planning: a subject may begin with "[".
    if (reader.at_end()) {
      stopped = true;
      return std::nullopt;
    }
    const std::string_view next = reader.next_line();
    if (!whole && is_end_of_plan(next)) {
      stopped = complete = true;
      return std::nullopt;
    }
    return next;
  }
  void field(Number width, int& number) {
    const auto line = next_value();
    if (!line) return;
    const auto value = decimal(*line);
    if (!value || !fits(width, *value)) {
      valid = false;
      return;
    }
    number = static_cast<int>(*value);
  }
  void field(Text form, std::string& value) {
    switch (form) {
      case Text::kLine:
        return text(value);
      case Text::kLines:
        return note(value);
      case Text::kVoice:
        return voice(value);
    }
  }
  void text(std::string& value) {
    if (const auto line = next_value()) {
      value = text_of_line(*line);
      break_no_line(value);  // line ends are single bytes in both encodings
    }
  }
  void voice(std::string& value) {
    const auto line = next_value();
    if (!line) return;
    const auto parts = voice_parts(*line);
    if (!parts) {
      valid = false;
      return;
    }
    std::string numbers;
    for (std::size_t part = 0; part < parts->size(); ++part) {
      const auto number = decimal((*parts)[part]);
      const std::int64_t stored = number ? *number + (part >= 2 ? 10 : 0) : -1;
      if (!fits(Number::kU8, stored)) {
        valid = false;
        return;
      }
      // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "_" + string.
      if (part > 0) numbers += '_';
      numbers += std::to_string(*number);
    }
    value = numbers;
  }
  void note(std::string& value) {
    const auto length_line = next_value();
    if (!length_line) return;
    const auto length = decimal(*length_line);
    if (!length || *length < 0) {
      valid = false;
      return;
    }
    const std::string_view text = reader.next_characters(static_cast<std::size_t>(*length));
    if (text.size() < static_cast<std::size_t>(*length)) {
      stopped = true;
      return;
    }
    reader.next_line();  // the line end after the text
    value = text_of_line(text);
  }

  // Fields this reader does not know (a later version's) are passed over up to "endofplan".
  void skip_to_end_of_plan() {
    while (next_value()) {
    }
  }

  // Read whole, the planning must end right after its last field.
  void end_whole() {
    if (!stopped && is_end_of_plan(reader.peek_line())) {
      reader.next_line();
      stopped = complete = true;
    }
  }
};

// Every field of the current version, then "endofplan": how this program writes a planning,
// whatever its texts hold. Anything else is read as a planning of another version. Nothing for
// a planning cut off or whose numbers do not fit their fields.
std::optional<Planning> read_planning_lines(ExchangeReader& reader, const Settings& settings) {
  const std::size_t start = reader.position;
  LinesToRecord whole{reader, true};
  Planning planning = planning_defaults(settings);
  read_planning_fields(whole, planning, settings, Walk{});
  whole.end_whole();
  if (whole.valid && whole.complete) return planning;
  reader.position = start;
  LinesToRecord cut{reader, false};
  planning = planning_defaults(settings);
  read_planning_fields(cut, planning, settings, Walk{});
  cut.skip_to_end_of_plan();
  if (cut.valid && cut.complete) return planning;
  return std::nullopt;
}

// A section header is a bracketed line; a planning's name never ends with "]".
bool is_section_header(std::string_view line) {
  return line.starts_with('[') && line.ends_with(']');
}

}  // namespace

std::string write_exchange_file(const ExchangeContent& content) {
  std::string out = std::string(kPlanningSection) + kLineEnd;
  for (const ExchangeEntry& entry : content.plannings) write_entry(out, entry);
  if (!content.categories.empty()) {
    out += cp1252_from_utf8(kCategorySection) + kLineEnd;
    for (const ExchangeEntry& entry : content.categories) write_entry(out, entry);
  }
  if (content.filter) {
    out += std::string(kFilterSection) + kLineEnd;
    out += std::to_string(content.filter->size()) + kLineEnd;
    for (const std::string& entry : *content.filter) {
      out += single_line(cp1252_from_utf8(entry)) + kLineEnd;
    }
  }
  return out;
}

std::string_view ExchangeReader::peek_line() const {
  if (at_end()) return {};
  const std::size_t end = std::min(bytes.find('\n', position), bytes.size());
  std::string_view line = bytes.substr(position, end - position);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

std::string_view ExchangeReader::next_line() {
  const std::string_view line = peek_line();
  if (!at_end()) position = std::min(bytes.find('\n', position), bytes.size() - 1) + 1;
  return line;
}

std::string_view ExchangeReader::next_characters(std::size_t count) {
  const std::string_view taken = bytes.substr(std::min(position, bytes.size()), count);
  position += taken.size();
  return taken;
}

ExchangeSection ParseExchangeSection(ExchangeReader& reader, const Settings& settings) {
  ExchangeSection section;
  while (!reader.at_end() && !is_section_header(reader.peek_line())) {
    const std::string_view name_line = reader.next_line();
    if (trim_spaces(name_line).empty()) continue;
    const std::string name = utf8_from_cp1252(single_line(name_line));
    auto planning = read_planning_lines(reader, settings);
    if (!planning) {
      section.refused.push_back(name);
      continue;
    }
    section.entries.push_back({name, std::move(*planning)});
  }
  return section;
}

std::optional<std::vector<std::string>> parse_filter_section(ExchangeReader& reader) {
  const auto count = decimal(reader.next_line());
  if (!count || !fits(Number::kI16, *count) || *count < 0) return std::nullopt;
  // Entries are made as lines arrive, never from the count alone.
  std::vector<std::string> filter;
  for (std::int64_t i = 0; i < *count && !reader.at_end(); ++i) {
    filter.push_back(utf8_from_cp1252(single_line(reader.next_line())));
  }
  return filter;
}

std::optional<ParsedExchange> read_exchange_file(std::string_view bytes, const Settings& settings) {
  ExchangeReader reader(bytes);
  if (reader.next_line() != kPlanningSection) return std::nullopt;
  ParsedExchange parsed;
  auto take = [&](std::vector<ExchangeEntry>& entries) {
    ExchangeSection section = ParseExchangeSection(reader, settings);
    entries = std::move(section.entries);
    parsed.refused.insert(parsed.refused.end(), section.refused.begin(), section.refused.end());
  };
  take(parsed.content.plannings);
  if (utf8_from_cp1252(reader.peek_line()) == kCategorySection) {
    reader.next_line();
    take(parsed.content.categories);
  }
  if (reader.peek_line() == kFilterSection) {
    reader.next_line();
    parsed.content.filter = parse_filter_section(reader);
    if (!parsed.content.filter) parsed.refused.emplace_back(kFilterSection);
  }
  return parsed;
}

std::string refused_plannings_message(const std::vector<std::string>& names) {
  return "Importation\rCes éléments du fichier ne sont pas conformes et n'ont pas été "
         "importés: " +
         joined(names, ", ");
}

// ---- export ----

namespace {

std::optional<ExchangeEntry> entry_of(const fs::path& folder, const std::string& name,
                                      const Settings& settings) {
  const auto file = file_in_folder(folder, name);
  if (!file) return std::nullopt;
  const auto record = read_file(*file);
  if (!record) return std::nullopt;
  int readerror = 0;
  return ExchangeEntry{name, read_planning(*record, settings, readerror)};
}

std::vector<ExchangeEntry> entries_of(const fs::path& folder, const std::vector<std::string>& names,
                                      const Settings& settings) {
  std::vector<ExchangeEntry> entries;
  for (const std::string& name : names) {
    if (auto entry = entry_of(folder, name, settings)) entries.push_back(std::move(*entry));
  }
  return entries;
}

}  // namespace

bool export_plannings(const fs::path& program_folder, const Settings& settings,
                      const ExportChoice& choice, const fs::path& target, Prompts& prompts) {
  if (choice.plannings.empty() && choice.categories.empty() && !choice.filter) {
    prompts.notice("Il n'y a rien à exporter.");
    return false;
  }
  const fs::path rdv = planning_folder(program_folder);
  ExchangeContent content;
  content.plannings = entries_of(rdv, choice.plannings, settings);
  for (const std::string& category : choice.categories) {
    if (auto entry = entry_of(rdv, category + ".cat", settings)) {
      content.categories.push_back(std::move(*entry));
    }
  }
  if (choice.filter) {
    if (auto filter = read_filter(program_folder); filter && !filter->empty()) {
      content.filter = std::move(filter);
    }
  }
  const bool anything =
      !content.plannings.empty() || !content.categories.empty() || content.filter.has_value();
  if (!anything || !write_file_atomically(target, write_exchange_file(content))) {
    prompts.notice("Aucune donnée n'a été exportée.");
    return false;
  }
  return true;
}

std::string category_of(const Planning& planning) {
  return std::string(trim_spaces(planning.category));
}

std::vector<std::string> plannings_of_categories(const fs::path& program_folder,
                                                 const Settings& settings,
                                                 const std::vector<std::string>& categories) {
  const fs::path rdv = planning_folder(program_folder);
  std::vector<std::string> names;
  for (const std::string& name : list_plannings(rdv)) {
    const auto entry = entry_of(rdv, name, settings);
    if (entry && std::find(categories.begin(), categories.end(), category_of(entry->planning)) !=
                     categories.end()) {
      names.push_back(name);
    }
  }
  return names;
}

std::string calendar_report(const fs::path& program_folder, const Settings& settings,
                            const std::vector<std::string>& plannings, bool notes) {
  std::string report = std::string(kReportTitle) + kLineEnd;
  for (const ExchangeEntry& entry :
       entries_of(planning_folder(program_folder), plannings, settings)) {
    const auto line = planning_list_line(entry.name, entry.planning);
    if (!line) continue;
    report += *line + kLineEnd;
    if (!notes || entry.planning.note_kind == 0) continue;
    report += std::string("  note :") + kLineEnd;
    const std::string_view note = entry.planning.note;
    for (std::size_t start = 0; start <= note.size();) {
      const std::size_t end = std::min(note.find(kLineEnd, start), note.size());
      report += "  " + std::string(note.substr(start, end - start)) + kLineEnd;
      start = end + 2;
    }
  }
  return report;
}

bool write_calendar_report(const fs::path& program_folder, const Settings& settings,
                           const std::vector<std::string>& plannings, bool notes,
                           const fs::path& target, Prompts& prompts) {
  if (plannings.empty()) {
    prompts.notice("Il n'y a rien à exporter.");
    return false;
  }
  const std::string report = calendar_report(program_folder, settings, plannings, notes);
  if (!write_file_atomically(target, cp1252_from_utf8(report))) {
    prompts.notice("Aucune donnée n'a été exportée.");
    return false;
  }
  return true;
}

}  // namespace tavelo
