#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/scripted_session.hpp"
#include "app/terminal_lines.hpp"
#include "platform/fault.hpp"
#include "platform/files.hpp"
#include "platform/linux/gtk_window_system.hpp"
#include "platform/linux/linux_shell.hpp"
#include "platform/linux/sdl_audio_output.hpp"
#include "platform/linux/speechd_speech.hpp"
#include "platform/linux/system_clock.hpp"
#include "platform/portable/curl_network.hpp"
#include "platform/program_folder.hpp"
#include "platform/services.hpp"
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

// The real windows when a display can be opened, else nothing.
std::unique_ptr<GtkWindowSystem> open_display() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return nullptr;
  try {
    return std::make_unique<GtkWindowSystem>();
  } catch (const std::runtime_error& no_display) {
    std::cerr << "tavelo : " << no_display.what() << "\n";
    return nullptr;
  }
}

// Real windows, speech, sound and shell on a display; without one, the terminal session on the
// real clock and sound, the user typing the session's commands.
int on_system_backends(Agenda& agenda) {
  SystemClock clock;
  // GTK starts while the program has no other thread, as it sets its environment.
  const std::unique_ptr<GtkWindowSystem> windows = open_display();
  Mixer mixer;
  const SdlAudioOutput output(mixer);
  if (!windows) {
    TerminalLines typed(STDIN_FILENO);
    return run_terminal_session(typed, std::cout, clock, mixer, agenda.program_folder,
                                [&agenda] { return agenda.run(); });
  }
  SpeechdSpeech speech;
  LinuxShell shell(agenda.program_folder);
  const InterfaceServices services(*windows, speech, clock);
  const SoundServices sound(mixer, {});
  const ShellService shell_service(shell);
  return agenda.run_showing_faults();
}

}  // namespace

int main(int argc, char** argv) {
  Agenda agenda{running_program_folder(), {argv + 1, argv + argc}};
  if (const std::optional<int> code =
          run_session_from_environment(agenda.program_folder, [&agenda] { return agenda.run(); })) {
    return *code;
  }
  return on_system_backends(agenda);
}
