#pragma once

#include <filesystem>

#include "platform/shell.hpp"
#include "platform/sim/transcript.hpp"

namespace tavelo {

// The shell of a scripted session: nothing is started; the transcript says what would have been,
// as `run "PROGRAM" "ARGUMENT"…`, `open "DOCUMENT"` and `help "PAGE"`.
class SimShell final : public Shell {
 public:
  SimShell(Transcript& transcript, std::filesystem::path program_folder);

  bool start_program(const std::filesystem::path& program,
                     const std::vector<std::string>& arguments) override;
  bool open(std::string_view document) override;
  bool show_help(std::string_view page) override;

 private:
  Transcript& transcript_;
  std::filesystem::path program_folder_;
};

}  // namespace tavelo
