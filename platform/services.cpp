#include "platform/services.hpp"

#include "platform/fault.hpp"

namespace tavelo {

namespace {

WindowSystem* installed_windows = nullptr;
Speech* installed_speech = nullptr;
Clock* installed_clock = nullptr;
Mixer* installed_mixer = nullptr;
Shell* installed_shell = nullptr;
SoundReport installed_report;

template <typename T>
T& installed(T* service, const char* name) {
  if (service == nullptr) throw Fault("erreur interface", std::string(name) + " absent");
  return *service;
}

}  // namespace

void install_interface_services(WindowSystem& windows, Speech& speech, Clock& clock) {
  installed_windows = &windows;
  installed_speech = &speech;
  installed_clock = &clock;
}

WindowSystem& window_system() {
  return installed(installed_windows, "window system");
}
Speech& speech_service() {
  return installed(installed_speech, "speech");
}
Clock& interface_clock() {
  return installed(installed_clock, "clock");
}

void install_sound_services(Mixer& mixer, SoundReport report) {
  installed_mixer = &mixer;
  installed_report = std::move(report);
}

Mixer& sound_mixer() { return installed(installed_mixer, "sound output"); }

Mixer* installed_sound_mixer() { return installed_mixer; }

const SoundReport& sound_report() { return installed_report; }

void install_shell_service(Shell& shell) { installed_shell = &shell; }

Shell& shell_service() { return installed(installed_shell, "shell"); }

}  // namespace tavelo
