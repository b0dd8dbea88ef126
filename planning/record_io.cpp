#include "planning/record_io.hpp"

#include <algorithm>

#include "planning/text.hpp"
#include "platform/fault.hpp"

namespace tavelo {

namespace {

[[noreturn]] void out_of_range(const char* title, const std::string& text) {
  throw Fault(title, text);
}

std::string number(std::int64_t value) { return std::to_string(value); }

}  // namespace

void print8(RecordWriter& out, std::int64_t value) {
  if (value < 0 || value > 255) {
    out_of_range("erreur print8",
                 "Valeur hors capacité: " + number(value) + "\rvaleurs permises entre: 0 et 255");
  }
  out.bytes += static_cast<char>(value);
}

void print16p(RecordWriter& out, std::int64_t value) {
  if (value < 0 || value > 65535) {
    out_of_range("erreur print16p", "valeur hors capacité: " + number(value) +
                                        "\rvaleurs permises entre: 0 et " + number(65535));
  }
  print8(out, value % 256);
  print8(out, value / 256);
}

void print16(RecordWriter& out, std::int64_t value) {
  if (value < -32768 || value > 32767) {
    out_of_range("erreur print16", "valeur hors capacité: " + number(value) +
                                       "\rvaleurs permises entre: " + number(-32768) + " et " +
                                       number(32767));
  }
  print16p(out, value < 0 ? value + 65536 : value);
}

void print32p(RecordWriter& out, std::int64_t value) {
  if (value < 0 || value > 4294967295LL) {
    out_of_range("erreur print32p", "valeur hors capacité: " + number(value) +
                                        "\rvaleurs permises de: 0 et " + number(4294967295LL));
  }
  const std::int64_t high = value / 65536;
  print16p(out, value - high * 65536);
  print16p(out, high);
}

void print32(RecordWriter& out, std::int64_t value) {
  if (value < -2147483648LL || value > 2147483647LL) {
    out_of_range("erreur print32", "valeur hors de capacité: " + number(value) +
                                       "\rvaleurs permises de: " + number(-2147483648LL) +
                                       " et " + number(2147483647LL));
  }
  print32p(out, value < 0 ? value + 4294967296LL : value);
}

void printstring(RecordWriter& out, std::string_view text) {
  const std::size_t start = out.bytes.size();
  append_cp1252(out.bytes, text);
  // A 0 byte would end the text early and shift every later field.
  std::replace(out.bytes.begin() + static_cast<std::ptrdiff_t>(start), out.bytes.end(), '\0', '?');
  out.bytes += '\0';
}

std::optional<std::array<std::string_view, 4>> voice_parts(std::string_view voice) {
  std::array<std::string_view, 4> parts;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::size_t separator = voice.find('_');
    const bool last = i + 1 == parts.size();
    if ((separator == std::string_view::npos) != last) return std::nullopt;
    parts[i] = voice.substr(0, separator);
    if (!last) voice.remove_prefix(separator + 1);
  }
  return parts;
}

void printvoice(RecordWriter& out, std::string_view voice) {
  // Writing nothing for a malformed voice would shift every later field of the record.
  static const std::array<std::string_view, 4> kDefaultParts = *voice_parts(kDefaultVoice);
  const auto parts = voice_parts(voice).value_or(kDefaultParts);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::int64_t parsed = leading_integer(parts[i]);
    print8(out, i >= 2 ? parsed + 10 : parsed);
  }
}

namespace {

// The next `count` bytes, or nothing (and readerror set) when the record ends first.
bool take(RecordReader& in, std::size_t count, std::string_view& taken) {
  if (in.bytes.size() - in.position < count) {
    in.position = in.bytes.size();
    in.readerror = kReadEnd;
    return false;
  }
  taken = in.bytes.substr(in.position, count);
  in.position += count;
  in.readerror = kReadOk;
  return true;
}

}  // namespace

int read8(RecordReader& in) {
  std::string_view b;
  if (!take(in, 1, b)) return 0;
  return static_cast<unsigned char>(b[0]);
}

int read16p(RecordReader& in) {
  std::string_view b;
  if (!take(in, 2, b)) return 0;
  return static_cast<unsigned char>(b[0]) + 256 * static_cast<unsigned char>(b[1]);
}

int read16(RecordReader& in) {
  const int value = read16p(in);
  return value > 32767 ? value - 65536 : value;
}

std::int64_t read32p(RecordReader& in) {
  std::string_view b;
  if (!take(in, 4, b)) return 0;
  std::int64_t value = 0;
  for (int i = 3; i >= 0; --i) value = value * 256 + static_cast<unsigned char>(b[std::size_t(i)]);
  return value;
}

std::int32_t read32(RecordReader& in) {
  const std::int64_t value = read32p(in);
  return static_cast<std::int32_t>(value > 2147483647LL ? value - 4294967296LL : value);
}

std::string readstring(RecordReader& in) {
  const std::size_t zero = in.bytes.find('\0', in.position);
  if (zero == std::string_view::npos) {
    const std::string_view rest = in.bytes.substr(std::min(in.position, in.bytes.size()));
    in.position = in.bytes.size();
    in.readerror = kReadEnd;
    return utf8_from_cp1252(rest);
  }
  const std::string_view text = in.bytes.substr(in.position, zero - in.position);
  in.position = zero + 1;
  in.readerror = kReadOk;
  return utf8_from_cp1252(text);
}

std::string readvoice(RecordReader& in) {
  std::string_view b;
  if (!take(in, 4, b)) return {};
  std::string voice;
  for (std::size_t i = 0; i < 4; ++i) {
    const int value = static_cast<unsigned char>(b[i]) - (i >= 2 ? 10 : 0);
    if (i > 0) voice += '_';
    voice += std::to_string(value);
  }
  return voice;
}

namespace {

template <typename Value, typename Read>
void read_into(RecordReader& in, Value& field, Read read) {
  if (in.ended()) return;
  auto value = read(in);
  if (!in.ended()) field = static_cast<Value>(value);
}

}  // namespace

void FieldReader::u8(int& field) { read_into(in, field, read8); }
void FieldReader::i16(int& field) { read_into(in, field, read16); }
void FieldReader::i32(int& field) { read_into(in, field, read32); }
void FieldReader::text(std::string& field) { read_into(in, field, readstring); }
void FieldReader::voice(std::string& field) { read_into(in, field, readvoice); }

}  // namespace tavelo
