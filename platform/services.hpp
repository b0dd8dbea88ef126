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
void install_interface_services(WindowSystem& windows, Speech& speech, Clock& clock);
WindowSystem& window_system();
Speech& speech_service();
Clock& interface_clock();

// The one sound output of the process: every player mixes into it. `report` hears what the
// players start ("tone 1760 50", "wave" with its file, "stop-sounds" ...); the scripted session
// writes it to its transcript, the real program gives none.
using SoundReport = std::function<void(std::string_view what, std::string_view file)>;
void install_sound_services(Mixer& mixer, SoundReport report);
Mixer& sound_mixer();
// The sound output when one is installed, else nothing.
Mixer* installed_sound_mixer();
const SoundReport& sound_report();

// The one shell of the process: programs, documents and manual pages it starts or opens.
void install_shell_service(Shell& shell);
Shell& shell_service();

}  // namespace tavelo
