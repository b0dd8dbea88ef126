#include <unistd.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/scripted_session.hpp"
#include "app/terminal_lines.hpp"
#include "platform/desktop.hpp"
#include "platform/fault.hpp"
#include "platform/files.hpp"
#include "platform/portable/curl_network.hpp"
#include "platform/program_folder.hpp"
#include "platform/services.hpp"
#include "platform/system_clock.hpp"
#include "shell/agenda_program.hpp"

namespace {

using namespace tavelo;

// What the agenda runs with, whatever windows and speech it runs on. A fault ends the program
// after its message box, with the code 3.
struct Agenda {
  fs::path program_folder;
  std::vector<std::string> arguments;
  CurlNetwork network{};

  // Saves that died half-way (a kill, a power cut) left their temporary files behind.
  int run() {
    remove_leftover_temporaries(program_folder);
    return RunAgendaProgram(program_folder, arguments, network);
  }
  int run_showing_faults() {
    try {
      return run();
    } catch (const Fault& fault) {
      window_system().message_box(fault.title, fault.text);
      return 3;
    }
  }
};

// Real windows, speech, sound and shell on a display; without one, the terminal session on the
// real clock and sound, the user typing the session's commands.
int on_system_backends(Agenda& agenda) {
  SystemClock clock;
  // GTK starts while the program has no other thread, as it sets its environment.
  std::string why;
  const Desktop desktop = open_desktop(why);
  Mixer mixer;
  const std::unique_ptr<SoundOutput> output = open_sound_output(mixer);
  if (!desktop.windows) {
    if (!why.empty()) std::cerr << "tavelo : " << why << "\n";
    TerminalLines typed(STDIN_FILENO);
    return run_terminal_session(typed, std::cout, clock, mixer, agenda.program_folder,
                                [&agenda] { return agenda.run(); });
  }
  const std::unique_ptr<Shell> shell = system_shell(agenda.program_folder);
  const InterfaceServices services(*desktop.windows, *desktop.speech, clock);
  const SoundServices sound(mixer, {});
  const ShellService shell_service(*shell);
  return agenda.run_showing_faults();
}

}  // namespace

int main(int argc, char** argv) {
  Agenda agenda{running_program_folder(), program_arguments(argc, argv)};
  if (const std::optional<int> code =
          run_session_from_environment(agenda.program_folder, [&agenda] { return agenda.run(); })) {
    return *code;
  }
  return on_system_backends(agenda);
}
