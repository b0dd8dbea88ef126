#pragma once

#include <string>
#include <string_view>

namespace tavelo {

// Which screen readers and voices the start-up found.
struct SpeechState {
  bool readers_looked_for = false;   // LoadSpeechLibraries ran
  bool say_reader_loaded = false;    // a reader that takes texts with an interrupt flag
  bool speak_reader_loaded = false;  // a reader with speak, cancel and a running test
  bool say_reader_running = false;
  bool speak_reader_running = false;
  bool sapi_loaded = false;
  int sapi_init[3] = {0, 0, 0};
};

SpeechState& speech_state();

// Looks for the readers in start-up order and starts the quiet-period clock.
void LoadSpeechLibraries();

// Returns 0 (nothing spoken), 1 (the say-style reader spoke) or 2 (the speak-style reader took
// it). Mode 0 queues, 1 interrupts, 2 and above announce after a quiet period of that many ms.
int Speak(std::string_view text, int mode, int force = 0);
// Holds the readers quiet for `ms`, as a delayed announcement does, with nothing to announce.
void StartQuietPeriod(int ms);
// Cuts what the readers are saying, as the quiet period does every 30 ms.
void SilenceScreenReaders();
void RunScreenReaderScript(std::string_view name);
int TestScreenReader(int rounds, bool exit_when_none);

bool SapiLoad();
int SapiInit(int started_routine, int ended_routine, int reserved);
void SapiSpeak(std::string_view text);
void SapiStop();
void SapiEnd();
void ApplySapiProfile(std::string_view profile);
int SapiEngineCount();
std::string SapiEngineName(int index);
void SapiSelect(int index);
void SapiSetVolume(int volume);
void SapiSetSpeed(int speed);
void SapiSetPitch(int pitch);
int SapiGetVolume();
int SapiGetSpeed();
int SapiGetPitch();

}  // namespace tavelo
