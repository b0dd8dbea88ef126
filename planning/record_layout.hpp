#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "planning/record_io.hpp"
#include "planning/records.hpp"

namespace tavelo {

// Each record's layout is described once, as an ordered table of its stored fields
// (planning_layout.hpp, settings_layout.hpp, alarms/chime_layout.hpp). The binary reader and
// writer, the lines of ".txa" exchange files and tavelo-inspect all walk these tables.

// What a walk needs besides the record.
struct Walk {
  // The label of the version that wrote the record ("version: 4.0"); empty for this version.
  std::string_view version;
  // Backup archives and ".alm" files store the two mixed-alarm counts whatever the alarm kind.
  bool mixed_counts_always = false;
};

// Tells whether a conditional field is stored, from the fields before it.
template <typename Record>
using Condition = bool (*)(const Record&, const Walk&);

template <typename Value>
using StoredAs = std::conditional_t<std::is_same_v<Value, std::string>, Text, Number>;

template <typename Value>
inline constexpr bool kNumbersInARow = false;
template <std::size_t N>
inline constexpr bool kNumbersInARow<std::array<int, N>> = true;

// One field: an int, a text, or N numbers in a row (std::array<int, N>). `name` is its key in
// tavelo-inspect's JSON.
template <typename Record, typename Value>
struct Field {
  const char* name;
  StoredAs<Value> stored;
  Value Record::*member;
  int group = 0;
  Condition<Record> present = nullptr;  // stored only when it holds
};

// A struct of the record whose own fields follow one another (an alarm, the mail settings).
template <typename Record, typename Part, typename Rows>
struct Block {
  const char* name;
  Part Record::*member;
  Rows rows;
  int group = 0;
};

// The note kind, then, when it is above 0, two reserved numbers and the note. Kind 1 is an older
// inline form (a line count and that many lines) that is read, and written as kind 2.
template <typename Record>
struct Note {
  const char* kind_name;
  int Record::*kind;
  const char* text_name;
  std::string Record::*text;
  int group = 0;
};

// A value with no meaning: written as 0, passed over on reading.
struct Reserved {
  Number stored;
  int group = 0;
};

// The sharing table: its row count, then the first two columns of every row.
template <typename Record>
struct SharingTable {
  const char* name;
  std::vector<SharingRow> Record::*rows;
  int group = 0;
};

// Columns `first` to `last` (from 0) of every row of the sharing table, row by row.
template <typename Record>
struct SharingColumns {
  std::vector<SharingRow> Record::*rows;
  std::size_t first;
  std::size_t last;
  int group = 0;
};

// A list stored as its last index (-1 when it is empty), then each entry's fields.
template <typename Record, typename Entry, typename Rows>
struct List {
  const char* name;
  std::vector<Entry> Record::*member;
  Rows rows;
  int group = 0;
};

// A run of fields that came in one version: records cut short give them their defaults together,
// and backup archives of older versions lack them.
template <typename Record>
struct Group {
  std::string_view since = {};  // the first version that stores the group; empty for every version
  std::string_view until = {};  // the first version that no longer stores it; empty for none
  bool optional = false;  // read only while the record goes on: older versions ended before it
  void (*absent)(Record&) = nullptr;  // what a record of a version without the group holds
  // What a record that ends in this group, or in an earlier one, holds for it.
  void (*cut)(Record&, const Settings&) = nullptr;
};

// Deduction guides for the rows above: clang before 17 does not deduce an aggregate's template
// arguments by itself (the fuzz targets are built with clang 14).
template <typename Record, typename Value, typename... Rest>
Field(const char*, StoredAs<Value>, Value Record::*, Rest...) -> Field<Record, Value>;
template <typename Record, typename Part, typename Rows, typename... Rest>
Block(const char*, Part Record::*, Rows, Rest...) -> Block<Record, Part, Rows>;
template <typename Record, typename... Rest>
Note(const char*, int Record::*, const char*, std::string Record::*, Rest...) -> Note<Record>;
template <typename Record, typename... Rest>
SharingTable(const char*, std::vector<SharingRow> Record::*, Rest...) -> SharingTable<Record>;
template <typename Record, typename... Rest>
SharingColumns(std::vector<SharingRow> Record::*, Rest...) -> SharingColumns<Record>;
template <typename Record, typename Entry, typename Rows, typename... Rest>
List(const char*, std::vector<Entry> Record::*, Rows, Rest...) -> List<Record, Entry, Rows>;

template <typename Record>
inline constexpr std::array<Group<Record>, 1> kEveryVersion{};

// The rows of a record in stored order, and the groups they name by index.
template <typename Record, typename Rows>
struct Layout {
  Rows rows;
  std::span<const Group<Record>> groups = kEveryVersion<Record>;
};

template <typename Rows, typename Fn>
constexpr void for_each_row(const Rows& rows, Fn&& fn) {
  std::apply([&fn](const auto&... row) { (fn(row), ...); }, rows);
}

// Version labels compare as texts, as archives always have: "version: 1.17e" comes before
// "version: 1.18".
template <typename Record>
constexpr bool stored_in(const Group<Record>& group, std::string_view version) {
  if (version.empty()) return group.until.empty();
  return version.compare(group.since) >= 0 &&
         (group.until.empty() || version.compare(group.until) < 0);
}

template <typename Record, typename Rows>
constexpr const Group<Record>& group_of(const Layout<Record, Rows>& layout, int group) {
  return layout.groups[static_cast<std::size_t>(group)];
}

// ---- reading ----
//
// A source gives a record's fields one after the other: FieldReader for the bytes of a file, the
// lines of an exchange file for ".txa". `field(Number, int&)` and `field(Text, std::string&)`
// leave the value as it was once the record has ended; `ended()` tells that it has, and
// `at_end()` that no field follows.

template <typename Rows, typename Source, typename Record>
void read_rows(const Rows& rows, Source& in, Record& record, const Walk& walk);

template <typename Source, typename Record, typename Value>
void read_row(const Field<Record, Value>& f, Source& in, Record& record, const Walk& walk) {
  if (f.present != nullptr && !f.present(record, walk)) return;
  if constexpr (kNumbersInARow<Value>) {
    for (int& number : record.*f.member) in.field(f.stored, number);
  } else {
    in.field(f.stored, record.*f.member);
  }
}

template <typename Source, typename Record, typename Part, typename Rows>
void read_row(const Block<Record, Part, Rows>& b, Source& in, Record& record, const Walk& walk) {
  read_rows(b.rows, in, record.*b.member, walk);
}

template <typename Source>
std::string read_inline_note(Source& in) {
  int unused = 0;
  int lines = 0;
  in.field(Number::kU8, unused);
  in.field(Number::kU8, unused);
  in.field(Number::kU8, lines);
  std::string note;
  for (int i = 0; i < lines && !in.ended(); ++i) {
    std::string line;
    in.field(Number::kU8, unused);
    in.field(Text::kLine, line);
    if (i > 0) note += "\r\n";
    note += line;
  }
  return note;
}

template <typename Source, typename Record>
void read_row(const Note<Record>& n, Source& in, Record& record, const Walk&) {
  int& kind = record.*n.kind;
  in.field(Number::kU8, kind);
  if (kind == 1) {
    record.*n.text = read_inline_note(in);
  } else if (kind > 1) {
    int reserved = 0;
    in.field(Number::kI32, reserved);
    in.field(Number::kI32, reserved);
    in.field(Text::kLines, record.*n.text);
  }
}

template <typename Source, typename Record>
void read_row(const Reserved& r, Source& in, Record&, const Walk&) {
  int ignored = 0;
  in.field(r.stored, ignored);
}

// Rows are made as the record supplies them, never from the stored count alone.
template <typename Source, typename Record>
void read_row(const SharingTable<Record>& t, Source& in, Record& record, const Walk&) {
  int count = 0;
  in.field(Number::kI16, count);
  std::vector<SharingRow>& rows = record.*t.rows;
  rows.clear();
  for (int r = 0; r < count; ++r) {
    SharingRow row;
    in.field(Text::kLine, row.columns[0]);
    if (in.ended()) break;
    in.field(Text::kLine, row.columns[1]);
    rows.push_back(std::move(row));
  }
}

template <typename Source, typename Record>
void read_row(const SharingColumns<Record>& c, Source& in, Record& record, const Walk&) {
  for (SharingRow& row : record.*c.rows) {
    for (std::size_t column = c.first; column <= c.last && !in.ended(); ++column) {
      in.field(Text::kLine, row.columns[column]);
    }
  }
}

// Entries are made as the record supplies them; one cut short is left out.
template <typename Source, typename Record, typename Entry, typename Rows>
void read_row(const List<Record, Entry, Rows>& l, Source& in, Record& record, const Walk& walk) {
  std::vector<Entry>& entries = record.*l.member;
  entries.clear();
  int last = -1;
  in.field(Number::kI16, last);
  for (int i = 0; i <= last && !in.ended(); ++i) {
    Entry entry;
    read_rows(l.rows, in, entry, walk);
    if (in.ended()) break;
    entries.push_back(std::move(entry));
  }
}

template <typename Rows, typename Source, typename Record>
void read_rows(const Rows& rows, Source& in, Record& record, const Walk& walk) {
  for_each_row(rows, [&](const auto& row) { read_row(row, in, record, walk); });
}

// Whether a group is read. A group the record's version lacks takes its absent values.
template <typename Source, typename Record>
bool opens(const Group<Record>& group, const Source& in, Record& record, const Walk& walk) {
  if (!stored_in(group, walk.version)) {
    if (group.absent != nullptr) group.absent(record);
    return false;
  }
  return !(group.optional && in.at_end());
}

// Reads the layout's fields into `record`, which holds the defaults of what is not read. Gives
// the group in which the record ended, when it ended.
template <typename Record, typename Rows, typename Source>
std::optional<int> read_fields(const Layout<Record, Rows>& layout, Source& in, Record& record,
                               const Walk& walk) {
  std::optional<int> ended_in;
  int group = -1;
  bool reading = true;
  for_each_row(layout.rows, [&](const auto& row) {
    if (row.group != group) {
      group = row.group;
      reading = opens(group_of(layout, group), in, record, walk);
    }
    if (!reading) return;
    read_row(row, in, record, walk);
    if (in.ended() && !ended_in) ended_in = group;
  });
  return ended_in;
}

// A record that ended in group `ended_in` gives that group and every later one its defaults.
template <typename Record, typename Rows>
void give_cut_defaults(const Layout<Record, Rows>& layout, int ended_in, Record& record,
                       const Settings& settings) {
  for (auto g = static_cast<std::size_t>(ended_in); g < layout.groups.size(); ++g) {
    if (layout.groups[g].cut != nullptr) layout.groups[g].cut(record, settings);
  }
}

// ---- writing ----

template <typename Rows, typename Record>
void write_rows(const Rows& rows, const Record& record, RecordWriter& out, const Walk& walk);

template <typename Record, typename Value>
void write_row(const Field<Record, Value>& f, const Record& record, RecordWriter& out,
               const Walk& walk) {
  if (f.present != nullptr && !f.present(record, walk)) return;
  if constexpr (kNumbersInARow<Value>) {
    for (int number : record.*f.member) print_field(out, f.stored, number);
  } else {
    print_field(out, f.stored, record.*f.member);
  }
}

template <typename Record, typename Part, typename Rows>
void write_row(const Block<Record, Part, Rows>& b, const Record& record, RecordWriter& out,
               const Walk& walk) {
  write_rows(b.rows, record.*b.member, out, walk);
}

template <typename Record>
void write_row(const Note<Record>& n, const Record& record, RecordWriter& out, const Walk&) {
  const bool has_note = record.*n.kind > 0;
  print_field(out, Number::kU8, has_note ? 2 : 0);
  if (!has_note) return;
  print_field(out, Number::kI32, 0);
  print_field(out, Number::kI32, 0);
  print_field(out, Text::kLines, record.*n.text);
}

template <typename Record>
void write_row(const Reserved& r, const Record&, RecordWriter& out, const Walk&) {
  print_field(out, r.stored, 0);
}

template <typename Record>
void write_row(const SharingTable<Record>& t, const Record& record, RecordWriter& out,
               const Walk&) {
  const std::vector<SharingRow>& rows = record.*t.rows;
  print_field(out, Number::kI16, static_cast<std::int64_t>(rows.size()));
  for (const SharingRow& row : rows) {
    print_field(out, Text::kLine, row.columns[0]);
    print_field(out, Text::kLine, row.columns[1]);
  }
}

template <typename Record>
void write_row(const SharingColumns<Record>& c, const Record& record, RecordWriter& out,
               const Walk&) {
  for (const SharingRow& row : record.*c.rows) {
    for (std::size_t column = c.first; column <= c.last; ++column) {
      print_field(out, Text::kLine, row.columns[column]);
    }
  }
}

template <typename Record, typename Entry, typename Rows>
void write_row(const List<Record, Entry, Rows>& l, const Record& record, RecordWriter& out,
               const Walk& walk) {
  const std::vector<Entry>& entries = record.*l.member;
  print_field(out, Number::kI16, static_cast<std::int64_t>(entries.size()) - 1);
  for (const Entry& entry : entries) write_rows(l.rows, entry, out, walk);
}

template <typename Rows, typename Record>
void write_rows(const Rows& rows, const Record& record, RecordWriter& out, const Walk& walk) {
  for_each_row(rows, [&](const auto& row) { write_row(row, record, out, walk); });
}

// Writes the fields this version stores.
template <typename Record, typename Rows>
void write_fields(const Layout<Record, Rows>& layout, const Record& record, RecordWriter& out,
                  const Walk& walk) {
  for_each_row(layout.rows, [&](const auto& row) {
    if (stored_in(group_of(layout, row.group), {})) write_row(row, record, out, walk);
  });
}

}  // namespace tavelo
