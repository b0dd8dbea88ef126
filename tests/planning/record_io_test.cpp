#include "planning/record_io.hpp"

#include <gtest/gtest.h>

#include "platform/fault.hpp"

namespace tavelo {
namespace {

std::string bytes_of(void (*print)(RecordWriter&, std::int64_t), std::int64_t value) {
  RecordWriter out;
  print(out, value);
  return out.bytes;
}

TEST(RecordIo, IntegersAreLittleEndianTwosComplement) {
  EXPECT_EQ(bytes_of(print16, -1), "\xFF\xFF");
  EXPECT_EQ(bytes_of(print16p, 65535), "\xFF\xFF");
  EXPECT_EQ(bytes_of(print32, 70000), std::string("\x70\x11\x01\x00", 4));
  EXPECT_EQ(bytes_of(print32, -2), "\xFE\xFF\xFF\xFF");
  EXPECT_EQ(bytes_of(print32p, 4294967295LL), "\xFF\xFF\xFF\xFF");

  const std::string record("\xFF\xFF\xFF\xFF\xFE\xFF\xFF\xFF\x70\x11\x01\x00", 12);
  RecordReader in(record);
  EXPECT_EQ(read16(in), -1);
  in.position = 0;
  EXPECT_EQ(read16p(in), 65535);
  in.position = 0;
  EXPECT_EQ(read32p(in), 4294967295LL);
  EXPECT_EQ(read32(in), -2);
  EXPECT_EQ(read32(in), 70000);
  EXPECT_EQ(in.readerror, kReadOk);
}

TEST(RecordIo, ValuesOutsideTheWidthAreFaults) {
  struct Case {
    void (*print)(RecordWriter&, std::int64_t);
    std::int64_t value;
    const char* title;
    const char* text;
  };
  const Case cases[] = {
      {print8, 256, "erreur print8", "Valeur hors capacité: 256\rvaleurs permises entre: 0 et 255"},
      {print8, -1, "erreur print8", "Valeur hors capacité: -1\rvaleurs permises entre: 0 et 255"},
      {print16p, 65536, "erreur print16p",
       "valeur hors capacité: 65536\rvaleurs permises entre: 0 et 65535"},
      {print16, 32768, "erreur print16",
       "valeur hors capacité: 32768\rvaleurs permises entre: -32768 et 32767"},
      {print32p, -1, "erreur print32p",
       "valeur hors capacité: -1\rvaleurs permises de: 0 et 4294967295"},
      {print32, 2147483648LL, "erreur print32",
       "valeur hors de capacité: 2147483648\rvaleurs permises de: -2147483648 et 2147483647"},
  };
  for (const Case& c : cases) {
    RecordWriter out;
    try {
      c.print(out, c.value);
      ADD_FAILURE() << c.title << " accepted " << c.value;
    } catch (const Fault& fault) {
      EXPECT_EQ(fault.title, c.title);
      EXPECT_EQ(fault.text, c.text);
    }
    EXPECT_TRUE(out.bytes.empty());
  }
}

TEST(RecordIo, TextsAreWindows1252WithAnEndingZero) {
  RecordWriter out;
  printstring(out, "");
  printstring(out, "Été 20€ 漢");
  EXPECT_EQ(out.bytes, std::string("\0\xC9t\xE9 20\x80 ?\0", 11));
  RecordReader in(out.bytes);
  EXPECT_EQ(readstring(in), "");
  EXPECT_EQ(readstring(in), "Été 20€ ?");
  EXPECT_EQ(in.readerror, kReadOk);
}

TEST(RecordIo, ReadingPastTheEndGivesZerosAndSetsReaderror) {
  RecordReader in("\x05");
  EXPECT_EQ(read8(in), 5);
  EXPECT_EQ(in.readerror, kReadOk);
  EXPECT_EQ(read8(in), 0);
  EXPECT_EQ(in.readerror, kReadEnd);
  EXPECT_EQ(readstring(in), "");
  EXPECT_EQ(in.readerror, kReadEnd);

  RecordReader half("\x01");
  EXPECT_EQ(read16(half), 0);
  EXPECT_EQ(half.readerror, kReadEnd);

  RecordReader unterminated("abc");
  EXPECT_EQ(readstring(unterminated), "abc");
  EXPECT_EQ(unterminated.readerror, kReadEnd);
}

TEST(RecordIo, VoiceSettingsStoreRateAndPitchPlusTen) {
  RecordWriter out;
  printvoice(out, "0_100_0_0");
  printvoice(out, "1_50_-10_10");
  printvoice(out, "1_2_3");
  printvoice(out, "");
  printvoice(out, "1_2_3_4_5");
  printvoice(out, " 2 _ 50x_ -3 _");  // each field read up to its first non-digit; empty is 0
  printvoice(out, "_1__");
  EXPECT_EQ(out.bytes.substr(0, 8), std::string("\x00\x64\x0A\x0A\x01\x32\x00\x14", 8));
  RecordReader in(out.bytes);
  EXPECT_EQ(readvoice(in), "0_100_0_0");
  EXPECT_EQ(readvoice(in), "1_50_-10_10");
  EXPECT_EQ(readvoice(in), "0_100_0_0");  // a malformed voice keeps the record's layout
  EXPECT_EQ(readvoice(in), "0_100_0_0");
  EXPECT_EQ(readvoice(in), "0_100_0_0");
  EXPECT_EQ(readvoice(in), "2_50_-3_0");
  EXPECT_EQ(readvoice(in), "0_1_0_0");
  EXPECT_EQ(readvoice(in), "");
  EXPECT_EQ(in.readerror, kReadEnd);
}

TEST(RecordIo, FieldReaderKeepsDefaultsFromTheCutOn) {
  RecordWriter out;
  print8(out, 7);
  printstring(out, "sujet");
  const std::string cut = out.bytes.substr(0, 3);
  FieldReader in(cut);
  int number = 1;
  std::string text = "défaut";
  int later = 42;
  in.u8(number);
  in.text(text);
  in.i16(later);
  EXPECT_EQ(number, 7);
  EXPECT_EQ(text, "défaut");
  EXPECT_EQ(later, 42);
  EXPECT_TRUE(in.ended());
}

}  // namespace
}  // namespace tavelo
