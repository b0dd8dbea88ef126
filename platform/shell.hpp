#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo {

// What the program asks of the desktop's shell. Nothing here waits for the program it starts.
class Shell {
 public:
  virtual ~Shell() = default;

  // Starts `program` with `arguments`, each handed over as it is: no command interpreter splits
  // or expands them. False when the program file is missing or could not be started.
  virtual bool start_program(const std::filesystem::path& program,
                             const std::vector<std::string>& arguments) = 0;
  // Opens a document or a web address with the program the desktop associates with it.
  virtual bool open(std::string_view document) = 0;
  // Shows a page of the program's manual, such as "gestion.htm"; false when the page is missing.
  virtual bool show_help(std::string_view page) = 0;
};

// The system's shell: programs, documents and the manual pages of the program folder.
std::unique_ptr<Shell> system_shell(const std::filesystem::path& program_folder);

// Where the manual's pages are: the folder "manual" of the program folder.
inline std::filesystem::path manual_page(const std::filesystem::path& program_folder,
                                         std::string_view page) {
  return program_folder / "manual" / std::filesystem::path(std::u8string(page.begin(), page.end()));
}

}  // namespace tavelo
