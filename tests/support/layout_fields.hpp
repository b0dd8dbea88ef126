#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "planning/record_layout.hpp"

namespace tavelo::testing {

// One field of a record layout, found by walking the layout's table (inside its blocks too), so
// that a test over every field also covers the fields added after it was written.
template <typename Record>
struct LayoutField {
  std::vector<std::string> keys;  // where tavelo-inspect's JSON shows it, outermost first
  std::function<void(Record&)> vary;  // gives it another value that its width or form holds
  std::function<bool(const Record&, const Record&)> same;
  std::function<bool(const Record&)> stored;  // whether a file stores it, by its conditions
  std::function<nlohmann::ordered_json(const Record&)> json;

  std::string path() const {
    std::string path;
    for (const std::string& key : keys) path += (path.empty() ? "" : ".") + key;
    return path;
  }
};

namespace collecting {

using Json = nlohmann::ordered_json;

template <typename Record>
using Fields = std::vector<LayoutField<Record>>;

inline std::vector<std::string> with(std::vector<std::string> keys, const char* key) {
  keys.emplace_back(key);
  return keys;
}

inline int varied(Number width, int value) {
  switch (width) {
    case Number::kU8:
      return (value + 1) % 256;
    case Number::kRecurrenceType:
      return value % 78 + 1;
    case Number::kI16:
      return value == INT16_MAX ? INT16_MIN : value + 1;
    case Number::kI32:
      return value == INT32_MAX ? INT32_MIN : value + 1;
  }
  return value;
}

// Voice settings change their voice number.
inline std::string varied(Text form, const std::string& text) {
  switch (form) {
    case Text::kLine:
      return text + "+";
    case Text::kLines:
      return text + "\r\nencore";
    case Text::kVoice: {
      const std::size_t end = text.find('_');
      return std::to_string(varied(Number::kU8, std::stoi(text.substr(0, end)))) + text.substr(end);
    }
  }
  return text;
}

template <std::size_t N>
std::array<int, N> varied(Number width, std::array<int, N> numbers) {
  for (int& number : numbers) number = varied(width, number);
  return numbers;
}

template <typename Record, typename Rows, typename Get>
void collect_rows(Fields<Record>& out, const Rows& rows, const std::vector<std::string>& keys,
                  Get get, const Walk& walk);

// From a record to one of its structs, through the struct that `get` reaches.
template <typename Get, typename Part, typename Inner>
struct Reach {
  Get get;
  Inner Part::*member;

  template <typename Record>
  auto& operator()(Record& record) const {
    return get(record).*member;
  }
};

struct Itself {
  template <typename Record>
  Record& operator()(Record& record) const {
    return record;
  }
};

// `get` reaches, from the record, the struct the row belongs to.
template <typename Record, typename Get, typename Part, typename Value>
void collect(Fields<Record>& out, const Field<Part, Value>& f, const std::vector<std::string>& keys,
             Get get, const Walk& walk) {
  const auto member = f.member;
  const auto stored = f.stored;
  const auto present = f.present;
  out.push_back(
      {with(keys, f.name),
       [get, member, stored](Record& r) { get(r).*member = varied(stored, get(r).*member); },
       [get, member](const Record& a, const Record& b) { return get(a).*member == get(b).*member; },
       [get, present, walk](const Record& r) {
         return present == nullptr || present(get(r), walk);
       },
       [get, member](const Record& r) { return Json(get(r).*member); }});
}

template <typename Record, typename Get, typename Part, typename Inner, typename Rows>
void collect(Fields<Record>& out, const Block<Part, Inner, Rows>& b,
             const std::vector<std::string>& keys, Get get, const Walk& walk) {
  collect_rows(out, b.rows, with(keys, b.name), Reach<Get, Part, Inner>{get, b.member}, walk);
}

template <typename Record, typename Get, typename Part>
void collect(Fields<Record>& out, const Note<Part>& n, const std::vector<std::string>& keys,
             Get get, const Walk& walk) {
  const auto kind = n.kind;
  collect(out, Field<Part, int>{n.kind_name, Number::kU8, kind}, keys, get, walk);
  out.back().vary = [get, kind](Record& r) { get(r).*kind = get(r).*kind > 0 ? 0 : 2; };
  collect(out, Field<Part, std::string>{n.text_name, Text::kLines, n.text}, keys, get, walk);
  out.back().stored = [get, kind](const Record& r) { return get(r).*kind > 0; };
}

template <typename Record, typename Get>
void collect(Fields<Record>&, const Reserved&, const std::vector<std::string>&, Get, const Walk&) {}

// The table's other columns are part of its one field.
template <typename Record, typename Get, typename Part>
void collect(Fields<Record>&, const SharingColumns<Part>&, const std::vector<std::string>&, Get,
             const Walk&) {}

template <typename Record, typename Get, typename Part>
void collect(Fields<Record>& out, const SharingTable<Part>& t, const std::vector<std::string>& keys,
             Get get, const Walk&) {
  const auto rows = t.rows;
  out.push_back({with(keys, t.name),
                 [get, rows](Record& r) {
                   SharingRow row;
                   row.columns.fill("ajout");
                   (get(r).*rows).push_back(row);
                 },
                 [get, rows](const Record& a, const Record& b) {
                   const auto& left = get(a).*rows;
                   const auto& right = get(b).*rows;
                   return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                                     [](const SharingRow& x, const SharingRow& y) {
                                       return x.columns == y.columns;
                                     });
                 },
                 [](const Record&) { return true; },
                 [get, rows](const Record& r) {
                   Json table = Json::array();
                   for (const SharingRow& row : get(r).*rows) table.push_back(row.columns);
                   return table;
                 }});
}

template <typename Record, typename Get, typename Part, typename Entry, typename Rows>
void collect(Fields<Record>& out, const List<Part, Entry, Rows>& l,
             const std::vector<std::string>& keys, Get get, const Walk& walk) {
  Fields<Entry> entry_fields;
  collect_rows(entry_fields, l.rows, {}, Itself{}, walk);
  const auto member = l.member;
  out.push_back(
      {with(keys, l.name), [get, member](Record& r) { (get(r).*member).emplace_back(); },
       [get, member, entry_fields](const Record& a, const Record& b) {
         const auto& left = get(a).*member;
         const auto& right = get(b).*member;
         return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                           [&](const Entry& x, const Entry& y) {
                             for (const auto& field : entry_fields) {
                               if (!field.same(x, y)) return false;
                             }
                             return true;
                           });
       },
       [](const Record&) { return true; },
       [get, member, entry_fields](const Record& r) {
         Json entries = Json::array();
         for (const Entry& entry : get(r).*member) {
           Json object = Json::object();
           for (const auto& field : entry_fields) object[field.keys.back()] = field.json(entry);
           entries.push_back(object);
         }
         return entries;
       }});
}

template <typename Record, typename Rows, typename Get>
void collect_rows(Fields<Record>& out, const Rows& rows, const std::vector<std::string>& keys,
                  Get get, const Walk& walk) {
  for_each_row(rows, [&](const auto& row) { collect(out, row, keys, get, walk); });
}

}  // namespace collecting

// The fields this version stores, in the layout's order.
template <typename Record, typename Rows>
std::vector<LayoutField<Record>> layout_fields(const Layout<Record, Rows>& layout,
                                               const Walk& walk) {
  collecting::Fields<Record> fields;
  for_each_row(layout.rows, [&](const auto& row) {
    if (stored_in(group_of(layout, row.group), {})) {
      collecting::collect(fields, row, {}, collecting::Itself{}, walk);
    }
  });
  return fields;
}

// The sample, then the sample with each field in turn given another value, go through
// `round_trip`, and every field the file stores comes back as it went. The sample must store
// every conditional field.
template <typename Record, typename Rows, typename RoundTrip>
void expect_every_field_survives(const Layout<Record, Rows>& layout, const Walk& walk,
                                 const Record& sample, RoundTrip round_trip) {
  const auto fields = layout_fields(layout, walk);
  const auto expect_back = [&](const Record& record) {
    const Record back = round_trip(record);
    for (const auto& field : fields) {
      if (field.stored(record)) {
        EXPECT_TRUE(field.same(back, record)) << field.path();
      }
    }
  };
  expect_back(sample);
  for (const auto& field : fields) {
    SCOPED_TRACE(field.path());
    ASSERT_TRUE(field.stored(sample)) << "the sample must store this field";
    Record changed = sample;
    field.vary(changed);
    ASSERT_FALSE(field.same(changed, sample));
    expect_back(changed);
  }
}

}  // namespace tavelo::testing
