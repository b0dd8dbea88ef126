// Exchange files (".txa"): what is written reads back the same, and an import into a program
// folder leaves nothing outside it and changes nothing when it is refused.
#include "exchange/exchange_file.hpp"

#include "exchange/import.hpp"
#include "fuzz/fuzz_support.hpp"
#include "planning/categories.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/sim/fixed_clock.hpp"

using namespace tavelo;

namespace {

void written_file_reads_back(std::string_view bytes, const Settings& settings) {
  const auto parsed = read_exchange_file(bytes, settings);
  if (!parsed) return;
  const std::string written = write_exchange_file(parsed->content);
  const auto again = read_exchange_file(written, settings);
  fuzz::check(again && again->refused.empty(), "a written exchange file is read whole");
  fuzz::check(write_exchange_file(again->content) == written,
              "an exchange file written and read back is the same");
}

ImportChoice everything(const StagedImport& staged) {
  ImportChoice choice;
  for (const auto& entry : staged.plannings) choice.plannings.push_back(entry.name);
  choice.category_files = true;
  choice.category_filter = true;
  return choice;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Sandbox& sandbox = fuzz::fresh_sandbox();
  const std::string_view bytes = fuzz::bytes_of(data, size);
  const Settings settings = fuzz::working_settings();
  written_file_reads_back(bytes, settings);

  const fs::path program = sandbox.program();
  fs::create_directories(planning_folder(program));
  Planning kept;
  kept.subject = "Dentiste";
  write_file_atomically(planning_folder(program) / "45123 09-30.gnd", write_planning(kept));
  write_file_atomically(program / kFilterFile, write_filter({"loisirs"}));
  const fs::path file = sandbox.root() / "x.txa";
  fuzz::check(write_file_atomically(file, bytes), "the exchange file is written");
  const auto before = fuzz::Sandbox::snapshot(program);
  FixedClock clock({2023, 7, 1, 9, 0, 0, 0});
  fuzz::YesPrompts prompts;
  const bool imported = import_exchange_file({program, settings, clock, prompts}, file,
                                             [](const StagedImport& s) { return everything(s); });
  fuzz::check(sandbox.only_holds({"program", "x.txa"}), "nothing lands beside the program folder");
  auto after = fuzz::Sandbox::snapshot(program);
  after.erase(std::string(kStagingFolder) + "/");
  if (!imported) fuzz::check(after == before, "a refused exchange file changes nothing");
  return 0;
}
