#pragma once

#include <functional>
#include <string_view>

#include "platform/clock.hpp"
#include "platform/mixer.hpp"
#include "platform/shell.hpp"
#include "platform/speech.hpp"
#include "platform/window_system.hpp"

namespace tavelo {

// The one window system, speech service and clock of the process. They live in the shared
// platform library so that the program and the dialog library it loads use the same ones.
// The backend chooser installs them before any window opens; they are not owned here.
WindowSystem& window_system();
Speech& speech_service();
Clock& interface_clock();

// Installs the window system, speech and clock for as long as it lives, then puts back the ones
// installed before it: a session never leaves the process pointing at backends that are gone.
// Guards end in the reverse order of their start, as scopes do.
class InterfaceServices {
 public:
  InterfaceServices(WindowSystem& windows, Speech& speech, Clock& clock);
  ~InterfaceServices();
  InterfaceServices(const InterfaceServices&) = delete;
  InterfaceServices& operator=(const InterfaceServices&) = delete;

 private:
  WindowSystem* windows_before_;
  Speech* speech_before_;
  Clock* clock_before_;
};

// The one sound output of the process: every player mixes into it. `report` hears what the
// players start ("tone 1760 50", "wave" with its file, "stop-sounds" ...); the scripted session
// writes it to its transcript, the real program gives none.
using SoundReport = std::function<void(std::string_view what, std::string_view file)>;
Mixer& sound_mixer();
// The sound output when one is installed, else nothing.
Mixer* installed_sound_mixer();
const SoundReport& sound_report();

// Installs the sound output and its report for as long as it lives, as InterfaceServices does.
class SoundServices {
 public:
  SoundServices(Mixer& mixer, SoundReport report);
  ~SoundServices();
  SoundServices(const SoundServices&) = delete;
  SoundServices& operator=(const SoundServices&) = delete;

 private:
  Mixer* mixer_before_;
  SoundReport report_before_;
};

// The one shell of the process: programs, documents and manual pages it starts or opens.
Shell& shell_service();

// Installs the shell for as long as it lives, as InterfaceServices does.
class ShellService {
 public:
  explicit ShellService(Shell& shell);
  ~ShellService();
  ShellService(const ShellService&) = delete;
  ShellService& operator=(const ShellService&) = delete;

 private:
  Shell* shell_before_;
};

}  // namespace tavelo
