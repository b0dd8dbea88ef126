#include "alarms/chime_archive.hpp"

#include <gtest/gtest.h>

#include "alarms/chime_plan.hpp"
#include "alarms/chime_profile.hpp"
#include "alarms/little_endian.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::read_bytes;
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
  EXPECT_LT(bytes.size(), 20000u);  // the sound was packed
  EXPECT_EQ(read_archive(archive).entries.size(), 3u);  // a sound named twice goes in once

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
  const ArchiveContents contents = read_archive(archive);
  EXPECT_EQ(contents.entries.size(), 2u);
  ASSERT_EQ(contents.problems.size(), 1u);
  EXPECT_EQ(contents.problems[0],
            "L'élément big\\heure.wav de l'archive est endommagé et n'a pas été importé.");

  // Every cut: never a crash, never an entry that is not whole.
  for (std::size_t cut = 0; cut < bytes.size(); cut += 7) {
    write_bytes(archive, bytes.substr(0, cut));
    const ArchiveContents part = read_archive(archive);
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
  EXPECT_TRUE(read_archive(archive).entries.empty());

  ScriptedPrompts told;
  write_bytes(archive, "not an archive");
  EXPECT_FALSE(ImportChimeProfile(archive, source.chimes, told));
  EXPECT_EQ(told.notices.back(), "Le fichier est vide...");
  EXPECT_FALSE(ImportChimeProfile(source.program.path() / "absent.crx", source.chimes, told));
  EXPECT_EQ(told.notices.back(),
            "Le fichier " + (source.program.path() / "absent.crx").string() + " est introuvable...");
}

TEST(ChimeArchive, ASoundThatCannotBeAddedEndsTheExport) {
  Source source;
  std::filesystem::remove(source.chimes / "big" / "q.ogg");
  ScriptedPrompts prompts;
  EXPECT_FALSE(ExportChimeProfile(source.program.path() / "x.crx", source.chimes / "big.car",
                                  source.chimes, prompts));
  EXPECT_EQ(prompts.notices, std::vector<std::string>{"impossible d'ajouter le fichier big\\q.ogg"});
  EXPECT_FALSE(std::filesystem::exists(source.program.path() / "x.crx"));
}

}  // namespace
}  // namespace tavelo
