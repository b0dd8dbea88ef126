#include "alarms/chime_catalogue.hpp"

#include <gtest/gtest.h>

#include "alarms/chime_archive.hpp"
#include "alarms/chime_profile.hpp"
#include "platform/files.hpp"
#include "platform/portable/curl_network.hpp"
#include "tests/support/local_server.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::LocalServer;
using testing::read_bytes;
using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::write_bytes;

// The maker's server on 127.0.0.1, serving a catalogue and the archives it names.
struct CatalogueServer {
  CatalogueServer() {
    for (const char* name : {"Big Ben", "Westminster", "Coucou"}) add_profile(name);
    write_bytes(root.path() / "carlist.txt", "Big Ben\r\nWestminster\r\nCoucou\r\n");
  }

  void add_profile(const std::string& name) {
    TempFolder maker;
    const auto chimes = chime_folder(maker.path());
    std::filesystem::create_directories(chimes / name);
    write_bytes(chimes / name / "heure.wav", "RIFF " + name);
    ChimeProfile profile;
    profile.hours = {{name + "\\heure.wav", 100, 0, 0}};
    write_bytes(chimes / (name + ".car"), write_chime_profile(profile));
    ScriptedPrompts quiet;
    ASSERT_TRUE(
        ExportChimeProfile(root.path() / (name + ".crx"), chimes / (name + ".car"), chimes, quiet));
  }

  TempFolder root, work;
  LocalServer server{"http_server.py",
                     {"--root", root.path().string(), "--log", (work.path() / "log").string()}};
  CurlNetwork network{testing::quick_network_options()};
  ChimeSource source{network, "http://" + server.address()};
};

TEST(ChimeCatalogue, TheFirstRunInstallsEveryProfile) {
  CatalogueServer maker;
  TempFolder program;
  ScriptedPrompts prompts;
  bool opened = false;
  const auto names =
      FetchChimeCatalogue(1, program.path(), maker.source, prompts, [&] { opened = true; });
  ASSERT_TRUE(names);
  EXPECT_EQ(*names, (std::vector<std::string>{"Big Ben", "Westminster", "Coucou"}));
  EXPECT_EQ(read_bytes(program.path() / "catalog.net"), "Big Ben\r\nWestminster\r\nCoucou\r\n");
  EXPECT_EQ(stored_catalogue(program.path()), *names);
  const auto chimes = chime_folder(program.path());
  EXPECT_EQ(ListChimeProfiles(chimes, prompts),
            (std::vector<std::string>{"Big Ben", "Coucou", "Westminster"}));
  EXPECT_EQ(read_bytes(chimes / "Coucou" / "heure.wav"), "RIFF Coucou");
  EXPECT_TRUE(list_files(program.path(), "*.crx").empty());  // downloads are deleted
  EXPECT_FALSE(opened);
  EXPECT_TRUE(prompts.notices.empty());

  // Nothing new: nothing asked. A longer list: asked, and the options open on yes.
  EXPECT_TRUE(
      FetchChimeCatalogue(1, program.path(), maker.source, prompts, [&] { opened = true; }));
  EXPECT_TRUE(prompts.questions.empty());
  maker.add_profile("Carillon neuf");
  write_bytes(maker.root.path() / "carlist.txt",
              "Big Ben\r\nWestminster\r\nCoucou\r\nCarillon neuf\r\n");
  ScriptedPrompts yes({true});
  EXPECT_TRUE(FetchChimeCatalogue(1, program.path(), maker.source, yes, [&] { opened = true; }));
  EXPECT_EQ(yes.questions,
            std::vector<std::string>{
                "De nouveaux profile sont disponible. Souhaitez-vous les télcharger?"});
  EXPECT_TRUE(opened);
  const ChimeDownload download =
      download_chime_profiles({"Carillon neuf", "../evil"}, program.path(), maker.source, yes);
  EXPECT_EQ(download.imported, std::vector<std::string>{"Carillon neuf"});
  EXPECT_TRUE(download.every_file_arrived);
  EXPECT_FALSE(
      download_chime_profiles({"Absent"}, program.path(), maker.source, yes).every_file_arrived);
}

TEST(ChimeCatalogue, AnUnreachableOrEmptyServerIsTold) {
  CatalogueServer maker;
  TempFolder program;
  write_bytes(maker.root.path() / "carlist.txt", "Big Ben\r\n");
  ScriptedPrompts prompts;
  EXPECT_FALSE(FetchChimeCatalogue(1, program.path(), maker.source, prompts, [] {}));
  EXPECT_EQ(prompts.notices,
            std::vector<std::string>{"Le serveur est inaccessible pour le moment."});
  EXPECT_FALSE(file_exists(program.path() / "catalog.net"));

  const ChimeSource closed{maker.network,
                           "http://127.0.0.1:" + std::to_string(testing::closed_port())};
  EXPECT_FALSE(FetchChimeCatalogue(0, program.path(), closed, prompts, [] {}));
  const ChimeSource none{maker.network, std::nullopt};
  EXPECT_FALSE(FetchChimeCatalogue(1, program.path(), none, prompts, [] {}));
  EXPECT_EQ(prompts.notices.size(), 2u);
}

// A long answer is read in one pass: a megabyte of names comes back whole (splitting it name by
// name from the start each time once took most of an hour).
TEST(ChimeCatalogue, AMegabyteOfNamesIsReadWhole) {
  CatalogueServer maker;
  TempFolder program;
  std::string answer;
  for (int i = 0; i < 100000; ++i) answer += " c" + std::to_string(i) + "\r\n";
  write_bytes(maker.root.path() / "carlist.txt", answer);
  ScriptedPrompts prompts;
  const auto names = FetchChimeCatalogue(0, program.path(), maker.source, prompts, [] {});
  ASSERT_TRUE(names);
  ASSERT_EQ(names->size(), 100000u);
  EXPECT_EQ(names->front(), "c0");
  EXPECT_EQ(names->back(), "c99999");
  EXPECT_EQ(read_bytes(program.path() / "catalog.net").size(), answer.size() - 100000);
}

}  // namespace
}  // namespace tavelo
