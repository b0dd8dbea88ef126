// Chime archives (".crx"), imported into the chime folder of a program folder: nothing lands
// outside that folder, an archive refused changes nothing, and every entry imported is whole.
// The limits are small so that an archive that claims much is cheap to try.
#include "alarms/chime_archive.hpp"

#include "fuzz/fuzz_support.hpp"
#include "platform/files.hpp"

using namespace tavelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Sandbox& sandbox = fuzz::fresh_sandbox();
  const fs::path archive = sandbox.root() / "a.crx";
  const fs::path chimes = sandbox.program() / "carillons";
  fuzz::check(write_file_atomically(archive, fuzz::bytes_of(data, size)), "the archive is written");
  std::uint64_t unpacked = 0;
  walk_archive(
      archive,
      [&](ArchiveEntry&& entry) {
        fuzz::check(entry.data.size() <= fuzz::kSmallArchives.entry,
                    "an entry stays within its limit");
        unpacked += entry.data.size();
        return true;
      },
      fuzz::kSmallArchives);
  fuzz::check(unpacked <= fuzz::kSmallArchives.total, "the entries stay within the total");

  fuzz::YesPrompts yes;
  const auto imported = ImportChimeProfile(archive, chimes, yes, fuzz::kSmallArchives);
  fuzz::check(sandbox.only_holds({"program", "a.crx"}), "nothing lands beside the program folder");
  const auto written = fuzz::Sandbox::snapshot(sandbox.program());
  if (!imported) {
    fuzz::check(written.size() <= 1, "a refused archive changes nothing");
    return 0;
  }
  std::uint64_t total = 0;
  for (const auto& [name, bytes] : written) {
    fuzz::check(name.starts_with("carillons/"), "every entry lands in the chime folder");
    total += bytes.size();
  }
  fuzz::check(total <= fuzz::kSmallArchives.total, "what is imported stays within the total");
  return 0;
}
