#include "inspect/record_json.hpp"

#include "alarms/chime_layout.hpp"
#include "planning/settings_layout.hpp"

namespace tavelo {

using Json = nlohmann::ordered_json;

namespace {

// Every field under its name, whatever the conditions under which a file stores it.

template <typename Rows, typename Record>
Json json_of_rows(const Rows& rows, const Record& record);

template <typename Record, typename Value>
void add(Json& out, const Field<Record, Value>& f, const Record& record) {
  out[f.name] = record.*f.member;
}

// The task is two blocks, in two groups: the second adds its fields to the first's.
template <typename Record, typename Part, typename Rows>
void add(Json& out, const Block<Record, Part, Rows>& b, const Record& record) {
  out[b.name].update(json_of_rows(b.rows, record.*b.member));
}

template <typename Record>
void add(Json& out, const Note<Record>& n, const Record& record) {
  out[n.kind_name] = record.*n.kind;
  out[n.text_name] = record.*n.text;
}

template <typename Record>
void add(Json&, const Reserved&, const Record&) {}

template <typename Record>
void add(Json& out, const SharingTable<Record>& t, const Record& record) {
  Json rows = Json::array();
  for (const SharingRow& row : record.*t.rows) rows.push_back(row.columns);
  out[t.name] = rows;
}

// The sharing table shows every column.
template <typename Record>
void add(Json&, const SharingColumns<Record>&, const Record&) {}

template <typename Record, typename Entry, typename Rows>
void add(Json& out, const List<Record, Entry, Rows>& l, const Record& record) {
  Json entries = Json::array();
  for (const Entry& entry : record.*l.member) entries.push_back(json_of_rows(l.rows, entry));
  out[l.name] = entries;
}

template <typename Rows, typename Record>
Json json_of_rows(const Rows& rows, const Record& record) {
  Json out = Json::object();
  for_each_row(rows, [&](const auto& row) { add(out, row, record); });
  return out;
}

// The fields of this version.
template <typename Record, typename Rows>
Json json_of(const Layout<Record, Rows>& layout, const Record& record) {
  Json out = Json::object();
  for_each_row(layout.rows, [&](const auto& row) {
    if (stored_in(group_of(layout, row.group), {})) add(out, row, record);
  });
  return out;
}

}  // namespace

Json to_json(const AlarmProfile& alarm) {
  return json_of(kAlarmProfileLayout, alarm);
}

Json to_json(const Planning& planning) {
  return json_of(kPlanningLayout, planning);
}

Json to_json(const Settings& settings) {
  return json_of(kSettingsLayout, settings);
}

Json to_json(const ChimeProfile& profile) {
  return json_of(kChimeProfileLayout, profile);
}

}  // namespace tavelo
