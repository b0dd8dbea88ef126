#pragma once

#include "platform/clock.hpp"
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

}  // namespace tavelo
