#include "platform/services.hpp"

#include "planning/fault.hpp"

namespace tavelo {

namespace {

WindowSystem* installed_windows = nullptr;
Speech* installed_speech = nullptr;
Clock* installed_clock = nullptr;

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

}  // namespace tavelo
