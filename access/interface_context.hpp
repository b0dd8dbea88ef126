#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "access/dialog_library.hpp"
#include "access/dialog_state.hpp"
#include "access/note_pad.hpp"
#include "access/speech.hpp"

namespace tavelo {

// The key-repeat filter of ReadKeyName: the name reported last and when it may come again.
struct KeyRepeat {
  std::string last;
  std::uint32_t first_repeat = 0;
  std::uint32_t next_repeat = 0;
};

// What the program keeps of the dialog library's message dialog.
struct AskState {
  std::string checked;  // the check boxes ticked when the last AskUser closed
  AskRecorder recorder;
};

// Everything the interface keeps between calls, in one place, touched only by the
// user-interface thread. The program and the dialog library, which compiles its own copy of the
// dialog layer, each have one.
struct InterfaceContext {
  DialogState dialog;
  SpeechState speech;
  KeyRepeat key_repeat;
  std::array<DialogSnapshot, kSnapshotSlots> saved_dialogs;
  PadState pad;
  FindState find;
  AskState ask;
};

InterfaceContext& interface_context();

// Forgets the whole interface, as at the start of a process. The loaded dialog library stays.
void reset_interface();

// A fresh interface for as long as it lives: the context is reset when it starts and when it
// ends, so that nothing of a session (its windows, hooks into its transcript) outlives it.
class FreshInterface {
 public:
  FreshInterface() { reset_interface(); }
  ~FreshInterface() { reset_interface(); }
  FreshInterface(const FreshInterface&) = delete;
  FreshInterface& operator=(const FreshInterface&) = delete;
};

}  // namespace tavelo
