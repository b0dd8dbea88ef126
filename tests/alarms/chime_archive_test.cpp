#include "alarms/chime_archive.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include "alarms/chime_plan.hpp"
#include "alarms/chime_profile.hpp"
#include "alarms/little_endian.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::read_bytes;
using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::write_bytes;

std::string tone_samples(std::size_t n) {
  std::string out;
  for (std::size_t i = 0; out.size() < n; ++i) out += static_cast<char>((i * 7) % 50);
  return out;
}

// One program folder with the "big" profile and its sounds.
struct Source {
  Source() {
    std::filesystem::create_directories(chimes / "big");
    write_bytes(chimes / "big" / "heure.wav", tone_samples(50000));
    write_bytes(chimes / "big" / "q.ogg", "OggS not very compressible");
    profile.hour_strike_mode = 13;
    profile.quarter_cycle = 3;
    profile.hours = {{"big\\heure.wav", 80, 0, 1000}};
    profile.quarters = {{"big\\q.ogg", 100, 20, 0}, {"big\\heure.wav", 60, 0, 0}};
    write_bytes(chimes / "big.car", write_chime_profile(profile));
  }
  TempFolder program;
  std::filesystem::path chimes = chime_folder(program.path());
  ChimeProfile profile;
};

// The entries of an archive file that unpack, and what was found wrong.
struct Unpacked {
  std::vector<ArchiveEntry> entries;
  std::vector<std::string> problems;
};
Unpacked unpacked(const std::filesystem::path& file) {
  Unpacked u;
  u.problems = walk_archive(file, [&](ArchiveEntry&& e) {
                 u.entries.push_back(std::move(e));
                 return true;
               }).problems;
  return u;
}

std::string entry(const std::string& name, const std::string& data) {
  std::string out;
  put_le(out, data.size(), 8);
  put_le(out, data.size(), 8);
  put_le(out, name.size(), 2);
  return out + name + data;
}

TEST(ChimeArchive, AnExportedProfilePlaysTheSameInAnotherAgenda) {
  Source source;
  ScriptedPrompts prompts;
  const auto archive = source.program.path() / "big.crx";
  ASSERT_TRUE(ExportChimeProfile(archive, source.chimes / "big.car", source.chimes, prompts));
  const std::string bytes = read_bytes(archive);
  EXPECT_EQ(bytes.substr(0, 4), "2zlp");
  EXPECT_LT(bytes.size(), 20000u);                  // the sound was packed
  EXPECT_EQ(unpacked(archive).entries.size(), 3u);  // a sound named twice goes in once

  TempFolder other;
  const auto chimes = chime_folder(other.path());
  ASSERT_EQ(ImportChimeProfile(archive, chimes, prompts), "big");
  EXPECT_EQ(read_bytes(chimes / "big" / "heure.wav"), tone_samples(50000));
  ChimeProfile imported;
  ASSERT_TRUE(LoadChimeProfile(chimes / "big.car", chimes, imported, prompts));
  const RandomIndex first = [](std::size_t) -> std::size_t { return 0; };
  for (int time : {0, 1515, 1530, 1545, 2300}) {
    const auto a = plan_chime(source.profile, {time, false, {}, {}}, first);
    const auto b = plan_chime(imported, {time, false, {}, {}}, first);
    ASSERT_EQ(a.size(), b.size()) << time;
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].entry.file, b[i].entry.file);
  }
  EXPECT_TRUE(prompts.notices.empty());
}

TEST(ChimeArchive, AnExistingProfileIsReplacedOnlyWhenTheUserSaysSo) {
  Source source;
  ScriptedPrompts quiet;
  const auto archive = source.program.path() / "big.crx";
  ASSERT_TRUE(ExportChimeProfile(archive, source.chimes / "big.car", source.chimes, quiet));
  write_bytes(source.chimes / "autre.car", "x");

  ScriptedPrompts cancel({false});
  cancel.input_answers = {std::string()};
  std::filesystem::remove_all(source.chimes / "big");
  EXPECT_FALSE(ImportChimeProfile(archive, source.chimes, cancel));
  EXPECT_EQ(cancel.questions[0],
            "Le profile big est déjà présent dans le dossier des carillons. Souhaitez-vous le "
            "remplacer?");
  EXPECT_EQ(cancel.inputs_asked, std::vector<std::string>{"importer sous|nom du profile|big"});
  EXPECT_FALSE(std::filesystem::exists(source.chimes / "big"));  // nothing extracted

  ScriptedPrompts rename({false});
  rename.input_answers = {std::string("autre"), std::string("neuf")};
  EXPECT_EQ(ImportChimeProfile(archive, source.chimes, rename), "neuf");
  EXPECT_EQ(rename.inputs_asked.size(), 2u);  // "autre" is taken too
  EXPECT_EQ(read_bytes(source.chimes / "neuf.car"), read_bytes(source.chimes / "big.car"));
}

TEST(ChimeArchive, HostileEntriesAreRefusedAndTheRestImported) {
  TempFolder folder;
  const auto chimes = chime_folder(folder.path());
  std::string archive("2zlp");
  archive += entry("p.car", write_chime_profile(ChimeProfile{}));
  for (const char* evil : {"..\\..\\evil.wav", "/tmp/evil.wav", "c:\\evil.wav", "a\\..\\..\\e"}) {
    archive += entry(evil, "evil");
  }
  archive += entry("p\\bon.wav", "bon");
  write_bytes(folder.path() / "a.crx", archive);
  ScriptedPrompts prompts;
  EXPECT_EQ(ImportChimeProfile(folder.path() / "a.crx", chimes, prompts), "p");
  EXPECT_EQ(read_bytes(chimes / "p" / "bon.wav"), "bon");
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "evil.wav"));
  EXPECT_FALSE(std::filesystem::exists("/tmp/evil.wav"));
  ASSERT_EQ(prompts.notices.size(), 1u);
  EXPECT_NE(prompts.notices[0].find("..\\..\\evil.wav de l'archive sort du dossier des carillons"),
            std::string::npos);
}

TEST(ChimeArchive, DamagedOrCutArchivesFailCleanly) {
  Source source;
  ScriptedPrompts quiet;
  const auto archive = source.program.path() / "big.crx";
  ASSERT_TRUE(ExportChimeProfile(archive, source.chimes / "big.car", source.chimes, quiet));
  const std::string bytes = read_bytes(archive);

  // A flipped byte inside the packed sound: that entry is refused, the others come in.
  std::string damaged = bytes;
  damaged[bytes.size() / 2] = static_cast<char>(damaged[bytes.size() / 2] ^ 0x10);
  write_bytes(archive, damaged);
  const Unpacked contents = unpacked(archive);
  EXPECT_EQ(contents.entries.size(), 2u);
  ASSERT_EQ(contents.problems.size(), 1u);
  EXPECT_EQ(contents.problems[0],
            "L'élément big\\heure.wav de l'archive est endommagé et n'a pas été importé.");

  // Every cut: never a crash, never an entry that is not whole.
  for (std::size_t cut = 0; cut < bytes.size(); cut += 7) {
    write_bytes(archive, bytes.substr(0, cut));
    const Unpacked part = unpacked(archive);
    ASSERT_LE(part.entries.size(), 3u);
    for (const ArchiveEntry& e : part.entries) ASSERT_NE(e.name.find("big"), std::string::npos);
  }

  // Sizes beyond the file are refused before anything is read.
  std::string huge("2zlp");
  put_le(huge, 1ull << 40, 8);
  put_le(huge, 1ull << 40, 8);
  put_le(huge, 3, 2);
  huge += "p.c";
  write_bytes(archive, huge);
  EXPECT_TRUE(unpacked(archive).entries.empty());

  ScriptedPrompts told;
  write_bytes(archive, "not an archive");
  EXPECT_FALSE(ImportChimeProfile(archive, source.chimes, told));
  EXPECT_EQ(told.notices.back(), "Le fichier est vide...");
  EXPECT_FALSE(ImportChimeProfile(source.program.path() / "absent.crx", source.chimes, told));
  EXPECT_EQ(told.notices.back(), "Le fichier " + (source.program.path() / "absent.crx").string() +
                                     " est introuvable...");
}

TEST(ChimeArchive, ASoundThatCannotBeAddedEndsTheExport) {
  Source source;
  std::filesystem::remove(source.chimes / "big" / "q.ogg");
  ScriptedPrompts prompts;
  EXPECT_FALSE(ExportChimeProfile(source.program.path() / "x.crx", source.chimes / "big.car",
                                  source.chimes, prompts));
  EXPECT_EQ(prompts.notices,
            std::vector<std::string>{"impossible d'ajouter le fichier big\\q.ogg"});
  EXPECT_FALSE(std::filesystem::exists(source.program.path() / "x.crx"));
}

// A stored size near 2^64 once wrapped the size check around and ended the program.
TEST(ChimeArchive, SizesThatWrapAroundAreRefused) {
  TempFolder folder;
  const auto chimes = chime_folder(folder.path());
  std::string archive("2zlp");
  archive += entry("p.car", write_chime_profile(ChimeProfile{}));
  put_le(archive, 5, 8);
  put_le(archive, ~std::uint64_t{0} - 2, 8);  // with the name's 3 bytes: 2^64, that is 0
  put_le(archive, 3, 2);
  archive += "a.w";
  archive += "12345";
  write_bytes(folder.path() / "a.crx", archive);
  ScriptedPrompts prompts;
  EXPECT_FALSE(ImportChimeProfile(folder.path() / "a.crx", chimes, prompts));
  EXPECT_EQ(prompts.notices,
            (std::vector<std::string>{"L'archive est incomplète.", "Le fichier est vide..."}));
  EXPECT_FALSE(std::filesystem::exists(chimes / "p.car"));
}

// The peak memory of this process so far, in bytes.
std::size_t peak_memory() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

// A packed block of `size` zero bytes, made without packing them: one literal and one match.
std::string packed_zeros(std::uint64_t size) {
  std::string stream(1, '\0');
  // Tag bits: a match, the gamma code of size - 3, the gamma code of 2 (offset 1), padding.
  std::vector<unsigned> bits{1};
  const std::uint64_t length = size - 3;
  int top = 63;
  while (((length >> top) & 1u) == 0) --top;
  for (int i = top - 1; i >= 0; --i) {
    bits.push_back(static_cast<unsigned>((length >> i) & 1u));
    bits.push_back(i > 0 ? 1u : 0u);
  }
  bits.insert(bits.end(), {0, 0});
  while (bits.size() % 16 != 0) bits.push_back(0);
  for (std::size_t w = 0; w < bits.size(); w += 16) {
    unsigned tag = 0;
    for (std::size_t i = 0; i < 16; ++i) tag = tag << 1 | bits[w + i];
    put_le(stream, tag, 2);
  }
  stream += '\0';  // the offset's low byte, read once the tag words have given the codes
  const std::string zeros(1u << 20, '\0');
  uLong crc = crc32(0L, Z_NULL, 0);
  for (std::uint64_t done = 0; done < size; done += zeros.size()) {
    crc = crc32(crc, reinterpret_cast<const Bytef*>(zeros.data()),
                static_cast<uInt>(std::min<std::uint64_t>(zeros.size(), size - done)));
  }
  std::string block("1zlb");
  put_le(block, size, 8);
  put_le(block, stream.size(), 8);
  put_le(block, crc, 4);
  return block + stream;
}

// A few hundred bytes that unpack to more than a gigabyte are refused before anything is
// unpacked or written; they once took gigabytes of memory.
TEST(ChimeArchive, ASmallArchiveThatClaimsGigabytesIsRefused) {
  TempFolder folder;
  const auto chimes = chime_folder(folder.path());
  std::string archive("2zlp");
  archive += entry("p.car", write_chime_profile(ChimeProfile{}));
  const std::uint64_t size = kLargestArchiveEntry;
  const std::string block = packed_zeros(size);
  for (int i = 0; i < 5; ++i) {
    const std::string name = "p\\" + std::to_string(i) + ".wav";
    put_le(archive, size, 8);
    put_le(archive, block.size(), 8);
    put_le(archive, name.size(), 2);
    archive += name + block;
  }
  ASSERT_LT(archive.size(), 1000u);
  write_bytes(folder.path() / "a.crx", archive);
  const std::size_t peak_before = peak_memory();
  ScriptedPrompts prompts;
  EXPECT_FALSE(ImportChimeProfile(folder.path() / "a.crx", chimes, prompts));
  EXPECT_LT(peak_memory(), peak_before + size);
  EXPECT_EQ(prompts.notices, (std::vector<std::string>{"L'archive est trop volumineuse.",
                                                       "Le fichier est vide..."}));
  EXPECT_FALSE(std::filesystem::exists(chimes));
}

}  // namespace
}  // namespace tavelo
