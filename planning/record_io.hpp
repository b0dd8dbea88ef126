#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavelo {

// The binary fields of every record file: little-endian integers checked against their width,
// and texts as Windows-1252 bytes ending with a 0 byte.

// A record being written; the caller puts `bytes` into the file in one go.
struct RecordWriter {
  std::string bytes;
};

// A writer given a value outside its width throws Fault (a programming fault).
void print8(RecordWriter& out, std::int64_t value);
void print16p(RecordWriter& out, std::int64_t value);
void print16(RecordWriter& out, std::int64_t value);
void print32p(RecordWriter& out, std::int64_t value);
void print32(RecordWriter& out, std::int64_t value);
void printstring(RecordWriter& out, std::string_view text);
// Four "_"-separated integers, one byte each, rate and pitch stored plus 10. A text without
// exactly four fields is written as the default voice, so the record keeps its layout.
void printvoice(RecordWriter& out, std::string_view voice);
// The four "_"-separated fields of a voice text, untrimmed; nothing unless there are four.
std::optional<std::array<std::string_view, 4>> voice_parts(std::string_view voice);

inline constexpr int kReadOk = 0;
inline constexpr int kReadEnd = 4;

// A record being read. `readerror` is kReadOk after a read that found its bytes and kReadEnd
// after one that met the end of the file; such a read gives 0 or the empty text.
struct RecordReader {
  explicit RecordReader(std::string_view record) : bytes(record) {}
  std::string_view bytes;
  std::size_t position = 0;
  int readerror = kReadOk;

  bool ended() const { return readerror == kReadEnd; }
  bool at_end() const { return position >= bytes.size(); }
};

int read8(RecordReader& in);
int read16p(RecordReader& in);
int read16(RecordReader& in);
std::int64_t read32p(RecordReader& in);
std::int32_t read32(RecordReader& in);
// A text missing its ending 0 byte stops at the end of the file, with readerror set.
std::string readstring(RecordReader& in);
// The four numbers joined by "_"; the empty text at the end of the file.
std::string readvoice(RecordReader& in);

inline constexpr const char* kDefaultVoice = "0_100_0_0";

// How a field is stored. Numbers by their width: kRecurrenceType is a u8 that holds one of the
// recurrence types 1..78.
enum class Number { kU8, kRecurrenceType, kI16, kI32 };
// Texts by their form: one line, several lines (a note), or voice settings.
enum class Text { kLine, kLines, kVoice };

// The writer of the width or form. Inline, so that a walk over a table of fields, where each
// field's width is a constant, calls the writer straight.
inline void print_field(RecordWriter& out, Number width, std::int64_t value) {
  switch (width) {
    case Number::kU8:
    case Number::kRecurrenceType:
      return print8(out, value);
    case Number::kI16:
      return print16(out, value);
    case Number::kI32:
      return print32(out, value);
  }
}

inline void print_field(RecordWriter& out, Text form, std::string_view text) {
  if (form == Text::kVoice) return printvoice(out, text);
  printstring(out, text);
}

// Reads a record field after field until it ends. From the end on, every field keeps the value
// it had, so a record cut short leaves its later fields at their defaults.
struct FieldReader {
  explicit FieldReader(std::string_view record) : in(record) {}
  RecordReader in;

  bool ended() const { return in.ended(); }
  bool at_end() const { return in.at_end(); }
  // The reader of the width or form, inline as print_field is.
  void field(Number width, int& value) {
    switch (width) {
      case Number::kU8:
      case Number::kRecurrenceType:
        return u8(value);
      case Number::kI16:
        return i16(value);
      case Number::kI32:
        return i32(value);
    }
  }
  void field(Text form, std::string& value) {
    if (form == Text::kVoice) return voice(value);
    text(value);
  }
  void u8(int& field);
  void i16(int& field);
  void i32(int& field);
  void text(std::string& field);
  void voice(std::string& field);
};

}  // namespace tavelo
