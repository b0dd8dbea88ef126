#include "access/interface_context.hpp"

namespace tavelo {

InterfaceContext& interface_context() {
  static InterfaceContext context;
  return context;
}

void reset_interface() {
  interface_context() = InterfaceContext();
}

DialogState& dialog_state() {
  return interface_context().dialog;
}

SpeechState& speech_state() {
  return interface_context().speech;
}

}  // namespace tavelo
