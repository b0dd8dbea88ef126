// Command files of other users, received from a shared folder: the input's first line is the
// command file's name, the rest its content. Nothing lands outside the program and shared
// folders, and a command file that is not applied changes nothing in the program folder.
#include "exchange/receive.hpp"
#include "fuzz/fuzz_support.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/sim/fixed_clock.hpp"

using namespace tavelo;

namespace {

// The rows of these settings have no FTP: the receive never reaches the network.
class Unplugged final : public Network {
 public:
  bool get_to_file(const std::string&, const fs::path&, std::stop_token) override { return false; }
  std::optional<std::string> get_to_memory(const std::string&, std::size_t,
                                           std::stop_token) override {
    return std::nullopt;
  }
  bool send_mail(const SmtpServer&, const MailMessage&) override { return false; }
  std::unique_ptr<FtpSession> open_ftp(const FtpAccount&, NetworkDeadline) override {
    return nullptr;
  }
};

Settings receiving_settings(const fs::path& shared) {
  Settings settings = fuzz::working_settings();
  settings.own_identifier = "moi";
  settings.import_allowed = 1;
  settings.sharing_table = {SharingRow{{"paul", shared.string(), "", "", "", "", "21", "1", "0"}}};
  return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Sandbox& sandbox = fuzz::fresh_sandbox();
  const std::string_view input = fuzz::bytes_of(data, size);
  const std::size_t line_end = std::min(input.find('\n'), input.size());
  const std::string name(input.substr(0, line_end));
  const std::string_view content = input.substr(std::min(line_end + 1, input.size()));
  const auto parsed = parse_command_file_name(name);
  if (parsed) {
    fuzz::check(file_in_folder(sandbox.program(), parsed->planning_name).has_value(),
                "a command file names a planning inside its folder");
  }

  const fs::path shared = sandbox.root() / "shared";
  fs::create_directories(shared);
  const auto command = file_in_folder(shared, name);
  if (!command || !write_file_atomically(*command, content)) return 0;
  const fs::path program = sandbox.program();
  fs::create_directories(planning_folder(program));
  Planning kept;
  kept.subject = "Dentiste";
  kept.unique_identifier = "paul_1_2";
  write_file_atomically(planning_folder(program) / "45123 09-30.gnd", write_planning(kept));
  const auto before = fuzz::Sandbox::snapshot(program);

  const Settings settings = receiving_settings(shared);
  FixedClock clock({2023, 7, 1, 9, 0, 0, 0});
  Unplugged network;
  fuzz::YesPrompts prompts;
  const int received = ReceiveSharedPlannings(
      {program, settings, clock, network, prompts, std::chrono::milliseconds(2000)}, false,
      [](const std::string&) {});
  fuzz::check(sandbox.only_holds({"program", "shared"}), "nothing lands beside the folders");
  fuzz::check(received <= 1, "one command file brings at most one planning");
  if (!parsed || parsed->sender == "moi") {
    fuzz::check(fuzz::Sandbox::snapshot(program) == before, "a file not applied changes nothing");
  }
  return 0;
}
