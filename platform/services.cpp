#include "platform/services.hpp"

#include <utility>

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

InterfaceServices::InterfaceServices(WindowSystem& windows, Speech& speech, Clock& clock)
    : windows_before_(std::exchange(installed_windows, &windows)),
      speech_before_(std::exchange(installed_speech, &speech)),
      clock_before_(std::exchange(installed_clock, &clock)) {}

InterfaceServices::~InterfaceServices() {
  installed_windows = windows_before_;
  installed_speech = speech_before_;
  installed_clock = clock_before_;
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

SoundServices::SoundServices(Mixer& mixer, SoundReport report)
    : mixer_before_(std::exchange(installed_mixer, &mixer)),
      report_before_(std::exchange(installed_report, std::move(report))) {}

SoundServices::~SoundServices() {
  installed_mixer = mixer_before_;
  installed_report = std::move(report_before_);
}

Mixer& sound_mixer() { return installed(installed_mixer, "sound output"); }

Mixer* installed_sound_mixer() { return installed_mixer; }

const SoundReport& sound_report() { return installed_report; }

ShellService::ShellService(Shell& shell) : shell_before_(std::exchange(installed_shell, &shell)) {}

ShellService::~ShellService() {
  installed_shell = shell_before_;
}

Shell& shell_service() { return installed(installed_shell, "shell"); }

}  // namespace tavelo
