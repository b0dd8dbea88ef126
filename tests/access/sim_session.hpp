#pragma once

#include <string>
#include <vector>

#include "access/dialog.hpp"
#include "access/interface_context.hpp"
#include "access/speech.hpp"
#include "platform/services.hpp"
#include "platform/sim/fixed_clock.hpp"
#include "platform/sim/sim_speech.hpp"
#include "platform/sim/sim_window_system.hpp"
#include "platform/sim/transcript.hpp"

namespace tavelo::testing {

// The sim backends installed as the process's interface, with a fresh interface context, for as
// long as the session lives.
struct SimSession {
  explicit SimSession(SimSpeechSetup setup = {})
      : clock({2026, 12, 7, 9, 0, 0, 0}),
        transcript(clock),
        windows(clock, transcript),
        speech(transcript, std::move(setup)),
        services(windows, speech, clock) {
    LoadSpeechLibraries();
  }

  // The names of the events queued now, the empty ones left out.
  std::vector<std::string> events() {
    std::vector<std::string> names;
    for (;;) {
      const std::string name = WaitDialogEvent(0);
      if (!name.empty()) {
        names.push_back(name);
      } else if (!windows.events_pending()) {
        return names;
      }
    }
  }

  // Lets the program wait for the given time, answering events.
  void idle(std::uint32_t ms) {
    const std::uint32_t start = clock.tick();
    while (clock.tick() - start < ms) WaitDialogEvent(10);
  }

  // The transcript lines without their time stamps.
  std::vector<std::string> heard() const {
    std::vector<std::string> lines;
    for (const std::string& line : transcript.lines()) lines.push_back(line.substr(13));
    return lines;
  }

  int window() const { return dialog_state().window; }

  FixedClock clock;
  Transcript transcript;
  SimWindowSystem windows;
  SimSpeech speech;
  InterfaceServices services;
  FreshInterface interface;
};

}  // namespace tavelo::testing
