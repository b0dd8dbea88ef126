#include "exchange/exchange_file.hpp"

#include <algorithm>
#include <charconv>

#include "planning/categories.hpp"
#include "planning/chain.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_list.hpp"
#include "planning/planning_names.hpp"
#include "planning/record_io.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

namespace {

constexpr const char* kLineEnd = "\r\n";

// The widths a number of the planning record is stored in; the type is also bound to the
// recurrence types that exist.
enum class Width { kU8, kType, kI16, kI32 };

bool fits(Width width, std::int64_t value) {
  switch (width) {
    case Width::kU8:
      return value >= 0 && value <= 255;
    case Width::kType:
      return value >= 1 && value <= 78;
    case Width::kI16:
      return value >= -32768 && value <= 32767;
    case Width::kI32:
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

// Every field of the planning record in the order of the planning file, with the conditional
// fields where the values read so far put them. `Transfer` moves each field from one form to
// the other and gives back its value.
template <typename Transfer>
void walk_planning_fields(Transfer& t) {
  t.text();  // subject
  if (t.number(Width::kType) == 2) {
    for (int day = 0; day < 7; ++day) t.number(Width::kU8);
  }
  t.number(Width::kU8);  // journal
  t.number(Width::kU8);  // forewarning days
  const std::int64_t note_kind = t.number(Width::kU8);
  if (note_kind == 1) {
    t.number(Width::kU8);
    t.number(Width::kU8);
    const std::int64_t lines = t.number(Width::kU8);
    for (std::int64_t i = 0; i < lines; ++i) {
      t.number(Width::kU8);
      t.text();
    }
  } else if (note_kind > 1) {
    t.number(Width::kI32);  // two reserved fields
    t.number(Width::kI32);
    t.note();
  }
  t.number(Width::kU8);  // alarm state
  const std::int64_t alarm_kind = t.number(Width::kU8);
  t.text();  // sound file
  for (int i = 0; i < (alarm_kind == 3 ? 6 : 4); ++i) t.number(Width::kI16);
  t.number(Width::kU8);  // task active
  t.text();
  t.text();
  t.number(Width::kU8);
  t.number(Width::kI16);
  t.number(Width::kU8);
  t.number(Width::kU8);
  t.number(Width::kI16);
  t.number(Width::kU8);
  t.number(Width::kI16);
  t.number(Width::kU8);
  t.number(Width::kU8);  // task state
  t.number(Width::kU8);  // postponement option
  t.text();              // category
  t.number(Width::kI16);
  t.number(Width::kU8);
  if (!t.text().empty()) t.number(Width::kI16);  // series link, occurrence number
  t.number(Width::kU8);                          // spoken mode
  t.voice();
  t.text();
  t.number(Width::kU8);
  t.number(Width::kU8);
  t.text();  // URL task link
  t.number(Width::kU8);
  for (int i = 0; i < 3; ++i) t.text();  // mail server, user, password
  t.number(Width::kI16);
  for (int i = 0; i < 3; ++i) t.text();  // recipients, reply address, subject
  t.number(Width::kU8);
  t.number(Width::kU8);
  t.text();  // sharing identifiers
  t.text();  // unique identifier
  t.number(Width::kU8);
}

// A one-line value: a line break inside would shift every later field of the file. A carriage
// return that a line holds when read is taken the same way, so that what is read is what would
// be written.
std::string single_line(std::string_view bytes) {
  std::string line(bytes);
  std::replace_if(
      line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return line;
}

// From the planning record to the lines of an exchange file (Windows-1252 bytes).
struct RecordToLines {
  RecordReader in;
  std::string& out;

  void line(std::string_view value) {
    if (in.ended()) return;
    out += value;
    out += kLineEnd;
  }
  std::int64_t number(Width width) {
    const std::int64_t value = width == Width::kI16   ? read16(in)
                               : width == Width::kI32 ? read32(in)
                                                      : read8(in);
    line(std::to_string(value));
    return value;
  }
  std::string text() {
    std::string value = readstring(in);
    line(single_line(cp1252_from_utf8(value)));
    return value;
  }
  void voice() { line(readvoice(in)); }
  void note() {
    const std::string value = cp1252_from_utf8(readstring(in));
    line(std::to_string(value.size()));
    line(value);
  }
};

void write_entry(std::string& out, const ExchangeEntry& entry) {
  out += single_line(cp1252_from_utf8(entry.name)) + kLineEnd;
  const std::string record = write_planning(entry.planning);
  RecordToLines transfer{RecordReader(record), out};
  walk_planning_fields(transfer);
  out += std::string(kEndOfPlan) + kLineEnd;
}

bool is_end_of_plan(std::string_view line) {
  return line == kEndOfPlan;
}

// From the lines of an exchange file back to the planning record. Read `whole`, every field
// is a line of its own whatever it holds, and "endofplan" must follow the last one. Otherwise
// (a file of an older version, whose plannings have fewer fields) the planning ends at the first
// "endofplan"; every field after that is left out, so the record reads as one cut short.
struct LinesToRecord {
  ExchangeReader& reader;
  bool whole;
  RecordWriter out;
  bool ended = false;     // "endofplan" met, or the file ended
  bool complete = false;  // "endofplan" met
  bool valid = true;

  std::optional<std::string_view> next_value() {
    if (ended) return std::nullopt;
    // Only "endofplan" and the end of the file end a planning: a subject may begin with "[".
    if (reader.at_end()) {
      ended = true;
      return std::nullopt;
    }
    const std::string_view next = reader.next_line();
    if (!whole && is_end_of_plan(next)) {
      ended = complete = true;
      return std::nullopt;
    }
    return next;
  }
  std::int64_t number(Width width) {
    const auto line = next_value();
    if (!line) return 0;
    const auto value = decimal(*line);
    if (!value || !fits(width, *value)) {
      valid = false;
      return 0;
    }
    if (width == Width::kI16) {
      print16(out, *value);
    } else if (width == Width::kI32) {
      print32(out, *value);
    } else {
      print8(out, *value);
    }
    return *value;
  }
  std::string text() {
    const auto line = next_value();
    if (!line) return {};
    std::string value = utf8_from_cp1252(single_line(*line));
    printstring(out, value);
    return value;
  }
  void voice() {
    const auto line = next_value();
    if (!line) return;
    if (chaincount(*line, "_") != 4) {
      valid = false;
      return;
    }
    for (int field = 1; field <= 4; ++field) {
      const auto value = decimal(chain(*line, "_", field));
      const std::int64_t stored = value ? *value + (field >= 3 ? 10 : 0) : -1;
      if (!fits(Width::kU8, stored)) {
        valid = false;
        return;
      }
    }
    printvoice(out, *line);
  }
  void note() {
    const auto length_line = next_value();
    if (!length_line) return;
    const auto length = decimal(*length_line);
    if (!length || *length < 0) {
      valid = false;
      return;
    }
    const std::string_view text = reader.next_characters(static_cast<std::size_t>(*length));
    if (text.size() < static_cast<std::size_t>(*length)) {
      ended = true;
      return;
    }
    reader.next_line();  // the line end after the text
    printstring(out, utf8_from_cp1252(text));
  }

  // Fields this reader does not know (a later version's) are passed over up to "endofplan".
  void skip_to_end_of_plan() {
    while (next_value()) {
    }
  }

  // Read whole, the planning must end right after its last field.
  void end_whole() {
    if (!ended && is_end_of_plan(reader.peek_line())) {
      reader.next_line();
      ended = complete = true;
    }
  }
};

// Every field of the current version, then "endofplan": how this program writes a planning,
// whatever its texts hold. Anything else is read as a planning of another version.
LinesToRecord read_planning_lines(ExchangeReader& reader) {
  const std::size_t start = reader.position;
  LinesToRecord whole{reader, true, {}};
  walk_planning_fields(whole);
  whole.end_whole();
  if (whole.valid && whole.complete) return whole;
  reader.position = start;
  LinesToRecord cut{reader, false, {}};
  walk_planning_fields(cut);
  cut.skip_to_end_of_plan();
  return cut;
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
    const LinesToRecord transfer = read_planning_lines(reader);
    if (!transfer.valid || !transfer.complete) {
      section.refused.push_back(name);
      continue;
    }
    int readerror = 0;
    section.entries.push_back({name, read_planning(transfer.out.bytes, settings, readerror)});
  }
  return section;
}

std::optional<std::vector<std::string>> parse_filter_section(ExchangeReader& reader) {
  const auto count = decimal(reader.next_line());
  if (!count || !fits(Width::kI16, *count) || *count < 0) return std::nullopt;
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
    std::move(section.entries.begin(), section.entries.end(), std::back_inserter(entries));
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

std::vector<std::string> plannings_of_categories(const fs::path& program_folder,
                                                 const Settings& settings,
                                                 const std::vector<std::string>& categories) {
  const fs::path rdv = planning_folder(program_folder);
  std::vector<std::string> names;
  for (const std::string& name : list_plannings(rdv)) {
    const auto entry = entry_of(rdv, name, settings);
    if (entry && std::find(categories.begin(), categories.end(), entry->planning.category) !=
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
