#include "exchange/exchange_file.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "exchange/import.hpp"
#include "planning/categories.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"
#include "platform/sim/fixed_clock.hpp"
#include "tests/support/sample_records.hpp"
#include "tests/support/scripted_prompts.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using testing::read_bytes;
using testing::rich_planning;
using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::write_bytes;

struct ProgramFolder {
  TempFolder folder;
  Settings settings = default_settings(45000, false);
  FixedClock clock{{2025, 3, 3, 9, 0, 0, 0}};
  ScriptedPrompts prompts;

  ProgramFolder() {
    fs::create_directories(rdv());
    fs::create_directories(folder.path() / "sons");
    write_bytes(folder.path() / "sons" / "cloche.wav", "RIFF");
  }
  fs::path path() const { return folder.path(); }
  fs::path rdv() const { return planning_folder(folder.path()); }
  ImportContext import_context() { return {path(), settings, clock, prompts}; }
  void save(const std::string& name, Planning p) {
    ASSERT_TRUE(saveplanning(rdv() / name, p, settings, clock, false));
  }
};

ImportChoice all_of(const StagedImport& staged, bool filter) {
  ImportChoice choice;
  for (const auto& entry : staged.plannings) choice.plannings.push_back(entry.name);
  choice.category_files = true;
  choice.category_filter = filter;
  return choice;
}

TEST(ExchangeFile, ExportThenImportGivesTheSameRecordsFieldForField) {
  ProgramFolder from, to;
  Planning plain;
  plain.subject = "[urgent] Dentiste";
  plain.alarm = {1, "", 1760, 50, 50, 120, 0, 0};
  from.save("45123 09-30.gnd", rich_planning());
  from.save("45124 14-00.gnd", plain);
  from.save("travail.cat", rich_planning());
  write_bytes(from.path() / kFilterFile, write_filter({"loisirs", "travail"}));
  const fs::path txa = from.path() / "export.txa";
  ASSERT_TRUE(export_plannings(from.path(), from.settings,
                               {{"45123 09-30.gnd", "45124 14-00.gnd"}, {"travail"}, true}, txa,
                               from.prompts));

  const std::string text = read_bytes(txa);
  EXPECT_TRUE(text.starts_with(
      "[planing]\r\n45123 09-30.gnd\r\nR\xe9union d'\xe9quipe\r\n2\r\n0\r\n1\r\n"));
  EXPECT_NE(text.find("\r\n2\r\n0\r\n0\r\n51\r\nligne un\r\n[pas une section]\r\nendofplan\r\n"
                      "\x9c"
                      "uvre \xe0 5 \x80\r\n"),
            std::string::npos)
      << "the note is its length in characters, then its text";
  EXPECT_NE(text.find("\r\n[cat\xe9gorie]\r\ntravail.cat\r\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("endofplan\r\n[filtre]\r\n2\r\nloisirs\r\ntravail\r\n"));

  write_bytes(to.path() / kFilterFile, write_filter({"sport", "travail"}));
  ASSERT_TRUE(import_exchange_file(to.import_context(), txa, [](const StagedImport& staged) {
    return std::optional(all_of(staged, true));
  }));
  for (const char* name : {"45123 09-30.gnd", "45124 14-00.gnd", "travail.cat"}) {
    EXPECT_EQ(read_bytes(to.rdv() / name), read_bytes(from.rdv() / name)) << name;
  }
  EXPECT_EQ(loadfilter(to.path()), (std::vector<std::string>{"loisirs", "travail", "sport"}))
      << "the imported filter, then the previous entries it lacks";
  EXPECT_FALSE(fs::exists(to.path() / kPreviousFilterFile));
  EXPECT_TRUE(fs::is_empty(to.path() / kStagingFolder));
  EXPECT_TRUE(to.prompts.notices.empty());
}

// A staged planning whose sound this agenda lacks is saved with the default alarm; one that comes
// out as staged is moved in as it is; nothing stays staged.
TEST(ExchangeFile, APlanningWhoseSoundIsMissingHereTakesTheDefaultAlarm) {
  ProgramFolder from, to;
  Planning silent = rich_planning();
  silent.alarm.sound_file = "sons\\absent.wav";
  from.save("45123 09-30.gnd", rich_planning());
  from.save("45124 09-30.gnd", silent);
  const fs::path txa = from.path() / "export.txa";
  ASSERT_TRUE(export_plannings(from.path(), from.settings,
                               {{"45123 09-30.gnd", "45124 09-30.gnd"}, {}, false}, txa,
                               from.prompts));
  ASSERT_TRUE(import_exchange_file(to.import_context(), txa, [](const StagedImport& staged) {
    return std::optional(all_of(staged, false));
  }));
  EXPECT_EQ(read_bytes(to.rdv() / "45123 09-30.gnd"), read_bytes(from.rdv() / "45123 09-30.gnd"));
  int readerror = 0;
  Planning expected =
      read_planning(read_bytes(from.rdv() / "45124 09-30.gnd"), to.settings, readerror);
  expected.alarm = to.settings.default_alarm;
  EXPECT_EQ(read_bytes(to.rdv() / "45124 09-30.gnd"), write_planning(expected));
  EXPECT_TRUE(fs::is_empty(to.path() / kStagingFolder));
}

TEST(ExchangeFile, TakenNamesGetAnAAndTheDeleteQuestionComesFirst) {
  ProgramFolder from, to;
  from.save("45123 09-30.gnd", rich_planning());
  const fs::path txa = from.path() / "export.txa";
  ASSERT_TRUE(export_plannings(from.path(), from.settings, {{"45123 09-30.gnd"}, {}, false}, txa,
                               from.prompts));
  auto take_all = [](const StagedImport& staged) { return std::optional(all_of(staged, false)); };
  to.prompts = ScriptedPrompts({false, true});
  ASSERT_TRUE(import_exchange_file(to.import_context(), txa, take_all));
  ASSERT_TRUE(import_exchange_file(to.import_context(), txa, take_all));
  ASSERT_TRUE(import_exchange_file(to.import_context(), txa, take_all));
  EXPECT_EQ(list_plannings(to.rdv()), (std::vector<std::string>{"45123 09-30.gnd"}))
      << "the third import deleted every planning first";
  EXPECT_EQ(to.prompts.questions,
            std::vector<std::string>(2, "supprimer toutes les plannifications avant d'importer?"));

  to.prompts = ScriptedPrompts({false, false});
  ASSERT_TRUE(import_exchange_file(to.import_context(), txa, take_all));
  ASSERT_TRUE(import_exchange_file(to.import_context(), txa, take_all));
  EXPECT_EQ(list_plannings(to.rdv()),
            (std::vector<std::string>{"45123 09-30.gnd", "45123 09-30.gnda", "45123 09-30.gndaa"}));
}

TEST(ExchangeFile, ByCategoryDeletesOnlyThoseCategoriesAndAsksBeforeReplacingATemplate) {
  ProgramFolder from, to;
  Planning sport;
  sport.subject = "Piscine";
  sport.category = "sport";
  from.save("45123 09-30.gnd", rich_planning());
  from.save("45125 18-00.gnd", sport);
  from.save("travail.cat", rich_planning());
  const fs::path txa = from.path() / "export.txa";
  ASSERT_TRUE(export_plannings(from.path(), from.settings,
                               {{"45123 09-30.gnd", "45125 18-00.gnd"}, {"travail"}, false}, txa,
                               from.prompts));
  to.save("45000 08-00.gnd", rich_planning());  // travail
  to.save("45001 08-00.gnd", sport);
  Planning kept_template = sport;
  to.save("travail.cat", kept_template);
  to.prompts = ScriptedPrompts({true, false});
  ASSERT_TRUE(import_exchange_file(to.import_context(), txa, [](const StagedImport&) {
    ImportChoice choice;
    choice.by_category = true;
    choice.categories = {"travail"};
    choice.category_files = true;
    return std::optional(choice);
  }));
  EXPECT_EQ(list_plannings(to.rdv()),
            (std::vector<std::string>{"45001 08-00.gnd", "45123 09-30.gnd"}));
  EXPECT_EQ(to.prompts.questions,
            (std::vector<std::string>{
                "supprimer toutes les plannifications des catégories consernées avant d'importer?",
                "remplacer la catégorie: travail?"}));
  EXPECT_EQ(read_bytes(to.rdv() / "travail.cat"), write_planning(kept_template));
}

TEST(ExchangeFile, AFailureHalfWayPutsRdvBackAndACancelledFilterLeavesThePreviousOne) {
  ProgramFolder from, to;
  from.save("45123 09-30.gnd", rich_planning());
  from.save("45124 09-30.gnd", rich_planning());
  from.save("travail.cat", rich_planning());
  write_bytes(from.path() / kFilterFile, write_filter({"loisirs"}));
  const fs::path txa = from.path() / "export.txa";
  ASSERT_TRUE(export_plannings(from.path(), from.settings,
                               {{"45123 09-30.gnd", "45124 09-30.gnd"}, {"travail"}, true}, txa,
                               from.prompts));
  to.save("45000 08-00.gnd", rich_planning());
  to.save("travail.cat", rich_planning());
  const std::string before = read_bytes(to.rdv() / "45000 08-00.gnd");
  // Keep the plannings, replace the template: both plannings are copied, then the old template
  // cannot be set aside, since a file holds the place of the folder it would go to.
  to.prompts = ScriptedPrompts({false, true});
  EXPECT_FALSE(import_exchange_file(to.import_context(), txa, [&](const StagedImport& staged) {
    write_bytes(to.path() / kStagingFolder / "~mis de côté", "in the way");
    return std::optional(all_of(staged, false));
  }));
  EXPECT_EQ(list_plannings(to.rdv()), (std::vector<std::string>{"45000 08-00.gnd"}));
  EXPECT_EQ(read_bytes(to.rdv() / "45000 08-00.gnd"), before);
  EXPECT_TRUE(fs::exists(to.rdv() / "travail.cat"));
  EXPECT_EQ(to.prompts.notices.back(),
            "L'importation a échoué, vos planifications sont restées inchangées.");
  EXPECT_FALSE(fs::exists(to.path() / kFilterFile))
      << "without a previous filter, an imported one not taken goes";

  write_bytes(to.path() / kFilterFile, write_filter({"sport"}));
  EXPECT_FALSE(import_exchange_file(
      to.import_context(), txa, [](const StagedImport&) { return std::optional<ImportChoice>(); }));
  EXPECT_EQ(loadfilter(to.path()), std::vector<std::string>{"sport"});
  EXPECT_FALSE(fs::exists(to.path() / kPreviousFilterFile));
}

TEST(ExchangeFile, BadInputIsRefusedAndTheRestGoesOn) {
  ProgramFolder to;
  const fs::path txa = to.path() / "import.txa";
  write_bytes(txa, "[planning]\r\n");
  EXPECT_FALSE(import_exchange_file(to.import_context(), txa, [](const StagedImport&) {
    ADD_FAILURE() << "no dialog for a refused file";
    return std::optional<ImportChoice>();
  }));
  EXPECT_EQ(to.prompts.notices,
            std::vector<std::string>{"le fichier spécifié n'est pas comforme."});

  Planning p;
  p.subject = "bon";
  ExchangeContent content;
  content.plannings = {{"45123 09-30.gnd", p},
                       {"..\\agenda.bin", p},
                       {"45124 09-30.gnd", p},
                       {"45125 09-30.gnd", p}};
  std::string text = write_exchange_file(content);
  // The third planning's forewarning days do not fit one byte.
  const std::string third = "45124 09-30.gnd\r\nbon\r\n1\r\n0\r\n0\r\n";
  const auto at = text.find(third);
  ASSERT_NE(at, std::string::npos);
  text.replace(at, third.size(), "45124 09-30.gnd\r\nbon\r\n1\r\n0\r\n300\r\n");
  text += "[filtre]\r\n99999\r\n";
  const auto parsed = read_exchange_file(text, to.settings);
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->content.plannings.size(), 3u) << "the name is checked when it is staged";
  EXPECT_EQ(parsed->refused, (std::vector<std::string>{"45124 09-30.gnd", "[filtre]"}));

  // A note longer than the file and a filter count beyond its entries stop at the end.
  const auto cut = read_exchange_file(
      "[planing]\r\n45123 09-30.gnd\r\nx\r\n1\r\n0\r\n0\r\n2\r\n0\r\n0\r\n2000000000\r\nab",
      to.settings);
  ASSERT_TRUE(cut);
  EXPECT_TRUE(cut->content.plannings.empty());
  EXPECT_EQ(cut->refused, std::vector<std::string>{"45123 09-30.gnd"});
  ExchangeReader filter("3\r\nun\r\ndeux");
  EXPECT_EQ(parse_filter_section(filter), (std::vector<std::string>{"un", "deux"}));

  content.plannings.erase(content.plannings.begin() + 2);  // keep the valid ones and the bad name
  write_bytes(txa, write_exchange_file(content));
  to.prompts = ScriptedPrompts();
  ASSERT_TRUE(import_exchange_file(to.import_context(), txa, [](const StagedImport& staged) {
    return std::optional(all_of(staged, false));
  }));
  EXPECT_EQ(list_plannings(to.rdv()),
            (std::vector<std::string>{"45123 09-30.gnd", "45125 09-30.gnd"}));
  EXPECT_FALSE(fs::exists(to.path() / "agenda.bin"));
  EXPECT_EQ(to.prompts.notices,
            std::vector<std::string>{refused_plannings_message({"..\\agenda.bin"})});
}

// The staged list follows the file, a name met twice standing where it was met last with the
// later planning, which is also the one its staged file and the import hold.
TEST(ExchangeFile, ANameMetTwiceIsStagedOnceWhereItWasMetLast) {
  ProgramFolder to;
  auto subject = [](std::string text) {
    Planning p;
    p.subject = std::move(text);
    return p;
  };
  ExchangeContent content;
  content.plannings = {{"45123 09-30.gnd", subject("premier")},
                       {"45124 09-30.gnd", subject("deuxième")},
                       {"45123 09-30.gnd", subject("premier revu")},
                       {"45125 09-30.gnd", subject("troisième")},
                       {"45124 09-30.gnd", subject("deuxième revu")}};
  const fs::path txa = to.path() / "import.txa";
  write_bytes(txa, write_exchange_file(content));
  auto staged = stage_exchange_file(to.import_context(), txa);
  ASSERT_TRUE(staged);
  std::vector<std::string> names, subjects;
  for (const ExchangeEntry& entry : staged->plannings) {
    names.push_back(entry.name);
    subjects.push_back(entry.planning.subject);
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"45123 09-30.gnd", "45125 09-30.gnd", "45124 09-30.gnd"}));
  EXPECT_EQ(subjects, (std::vector<std::string>{"premier revu", "troisième", "deuxième revu"}));
  EXPECT_EQ(list_files(to.path() / kStagingFolder, "*"),
            (std::vector<std::string>{"45123 09-30.gnd", "45124 09-30.gnd", "45125 09-30.gnd"}));

  EXPECT_EQ(import_chosen(to.import_context(), *staged, all_of(*staged, false)),
            ImportOutcome::kImported);
  int readerror = 0;
  EXPECT_EQ(loadplanning(to.rdv() / "45124 09-30.gnd", to.path(), to.settings, readerror).subject,
            "deuxième revu");
  EXPECT_EQ(list_plannings(to.rdv()).size(), 3u);
  EXPECT_TRUE(to.prompts.notices.empty());
}

TEST(ExchangeFile, AShortPlanningTakesTheDefaultsOfACutRecord) {
  ProgramFolder to;
  to.settings.default_mail.server = "smtp.défaut";
  const auto parsed = read_exchange_file(
      "[planing]\r\n45123 09-30.gnd\r\nCourt\r\n1\r\n0\r\n0\r\n0\r\nendofplan\r\n", to.settings);
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->content.plannings.size(), 1u);
  const Planning& p = parsed->content.plannings[0].planning;
  EXPECT_EQ(p.subject, "Court");
  EXPECT_EQ(p.mail.server, "smtp.défaut");
  EXPECT_EQ(p.category, " ");

  const auto inline_note = read_exchange_file(
      "[planing]\r\n45123 09-30.gnd\r\nAncien\r\n1\r\n0\r\n0\r\n1\r\n0\r\n0\r\n2\r\n"
      "0\r\nun\r\n0\r\ndeux\r\nendofplan\r\n",
      to.settings);
  ASSERT_TRUE(inline_note);
  ASSERT_EQ(inline_note->content.plannings.size(), 1u);
  EXPECT_EQ(inline_note->content.plannings[0].planning.note, "un\r\ndeux");
}

TEST(ExchangeFile, ReportListsPlanningsAndIndentedNotes) {
  ProgramFolder program;
  Planning p;
  p.subject = "Dentiste";
  p.note_kind = 2;
  p.note = "apporter la carte\r\nà jeun";
  p.number_of_times = 4;
  program.save("45123 09-30.gnd", p);
  const std::string report =
      calendar_report(program.path(), program.settings, {"45123 09-30.gnd", "inconnu.gnd"}, true);
  // Day 45123 is Wednesday 2024-07-17.
  EXPECT_EQ(report,
            "rapport des planifications de votre calendrier\r\n"
            "Mercredi, le 17 Juillet 2024 à 09:30; Dentiste, (4 fois)\r\n"
            "  note :\r\n  apporter la carte\r\n  à jeun\r\n");
  const fs::path target = program.path() / "rapport.txt";
  ASSERT_TRUE(write_calendar_report(program.path(), program.settings, {"45123 09-30.gnd"}, false,
                                    target, program.prompts));
  EXPECT_EQ(read_bytes(target),
            "rapport des planifications de votre calendrier\r\n"
            "Mercredi, le 17 Juillet 2024 \xe0 09:30; Dentiste, (4 fois)\r\n");
  EXPECT_FALSE(export_plannings(program.path(), program.settings, {}, target, program.prompts));
  EXPECT_FALSE(export_plannings(program.path(), program.settings, {{"absent.gnd"}, {}, false},
                                target, program.prompts));
  EXPECT_EQ(program.prompts.notices, (std::vector<std::string>{"Il n'y a rien à exporter.",
                                                               "Aucune donnée n'a été exportée."}));
}

// "endofplan" ends a planning only where the planning's fields end: as the value of any text
// field it comes back as it went, and so does a name in brackets.
TEST(ExchangeFile, EveryTextFieldComesBackEvenWhenItReadsEndofplan) {
  const std::vector<std::pair<const char*, std::function<std::string&(Planning&)>>> fields = {
      {"subject", [](Planning& p) -> std::string& { return p.subject; }},
      {"sound file", [](Planning& p) -> std::string& { return p.alarm.sound_file; }},
      {"task program", [](Planning& p) -> std::string& { return p.task.program; }},
      {"task command line", [](Planning& p) -> std::string& { return p.task.command_line; }},
      {"category", [](Planning& p) -> std::string& { return p.category; }},
      {"series link", [](Planning& p) -> std::string& { return p.series_link; }},
      {"spoken text", [](Planning& p) -> std::string& { return p.spoken.text; }},
      {"URL task", [](Planning& p) -> std::string& { return p.url_task_link; }},
      {"mail server", [](Planning& p) -> std::string& { return p.mail.server; }},
      {"mail user", [](Planning& p) -> std::string& { return p.mail.user; }},
      {"mail password", [](Planning& p) -> std::string& { return p.mail.password; }},
      {"mail recipients", [](Planning& p) -> std::string& { return p.mail.recipients; }},
      {"mail reply", [](Planning& p) -> std::string& { return p.mail.reply_address; }},
      {"mail subject", [](Planning& p) -> std::string& { return p.mail.subject; }},
      {"sharing identifiers", [](Planning& p) -> std::string& { return p.sharing_identifiers; }},
      {"unique identifier", [](Planning& p) -> std::string& { return p.unique_identifier; }},
  };
  const Settings settings = default_settings(45000, false);
  for (const auto& [label, field] : fields) {
    for (const char* value : {"endofplan", "[filtre]"}) {
      ExchangeContent content;
      Planning p = rich_planning();
      field(p) = value;
      content.plannings = {{"45123 09-30.gnd", p}, {"45124 09-30.gnd", rich_planning()}};
      content.categories = {{"[travail].cat", p}};
      const auto back = read_exchange_file(write_exchange_file(content), settings);
      ASSERT_TRUE(back) << label;
      EXPECT_TRUE(back->refused.empty()) << label << " " << value;
      ASSERT_EQ(back->content.plannings.size(), 2u) << label << " " << value;
      EXPECT_EQ(write_planning(back->content.plannings[0].planning), write_planning(p))
          << label << " " << value;
      EXPECT_EQ(write_planning(back->content.plannings[1].planning),
                write_planning(rich_planning()))
          << label << " " << value;
      ASSERT_EQ(back->content.categories.size(), 1u) << label << " " << value;
      EXPECT_EQ(back->content.categories[0].name, "[travail].cat");
      EXPECT_EQ(write_planning(back->content.categories[0].planning), write_planning(p))
          << label << " " << value;
    }
  }
}

}  // namespace
}  // namespace tavelo
