// Chime archives (".crx"), imported into the chime folder of a program folder: nothing lands
// outside that folder, an archive refused changes nothing, and every entry imported is whole.
// The limits are small so that an archive that claims much is cheap to try.
#include "alarms/chime_archive.hpp"

#include "fuzz/fuzz_support.hpp"

using namespace tavelo;

namespace {

constexpr ArchiveLimits kLimits{1u << 20, 4u << 20};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::Sandbox sandbox;
  sandbox.reset();
  const fs::path archive = sandbox.root() / "a.crx";
  const fs::path chimes = sandbox.program() / "carillons";
  {
    std::FILE* f = std::fopen(archive.c_str(), "wb");
    fuzz::check(f != nullptr && std::fwrite(data, 1, size, f) == size && std::fclose(f) == 0,
                "the archive is written");
  }
  std::uint64_t unpacked = 0;
  walk_archive(
      archive,
      [&](ArchiveEntry&& entry) {
        fuzz::check(entry.data.size() <= kLimits.entry, "an entry stays within its limit");
        unpacked += entry.data.size();
        return true;
      },
      kLimits);
  fuzz::check(unpacked <= kLimits.total, "the entries stay within the total");

  fuzz::YesPrompts yes;
  const auto imported = ImportChimeProfile(archive, chimes, yes, kLimits);
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
  fuzz::check(total <= kLimits.total, "what is imported stays within the total");
  return 0;
}
