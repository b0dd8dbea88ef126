// Saves one file over and over, as the program saves a planning: the tests kill it half-way,
// or watch its system calls. Usage: save_loop FILE COUNT [batch|renames] (0 = until killed;
// "batch" saves within one folder sync batch, "renames" within one rename batch).
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/files.hpp"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) return 2;
  const std::string mode = argc == 4 ? argv[3] : "";
  std::optional<tavelo::FolderSyncBatch> batch;
  std::optional<tavelo::RenameBatch> renames;
  if (mode == "batch") batch.emplace();
  if (mode == "renames") renames.emplace();
  const std::filesystem::path file = argv[1];
  const long count = std::strtol(argv[2], nullptr, 10);
  // Two contents of different lengths, so a reader can tell a whole file from a torn one.
  const std::string contents[2] = {std::string(300000, 'a'), std::string(200000, 'b')};
  for (long i = 0; count == 0 || i < count; ++i) {
    if (!tavelo::write_file_atomically(file, contents[i % 2])) return 1;
  }
  return 0;
}
