#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "alarms/ring.hpp"
#include "platform/clock.hpp"
#include "platform/mixer.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace fs = std::filesystem;

// One set of players: the alarms have one, the chimes their own, so both sound together.
struct SoundPlayers {
  SoundPlayers(Mixer& output, Clock& time, fs::path folder)
      : mixer(output), clock(time), program_folder(std::move(folder)) {}

  Mixer& mixer;
  Clock& clock;
  fs::path program_folder;  // where "3520.wav" and "stop.wav" are, and relative sound files
  // Tells what is played, for the scripted session's transcript.
  SoundReport report;

  bool tone_sample_tried = false;
  std::shared_ptr<const Pcm> tone_sample;
  VoiceId wave = 0;
  std::vector<VoiceId> media;
  std::vector<VoiceId> ogg;
  // The last file decoded: an alarm plays the same one every cycle.
  std::string cached_file;
  std::shared_ptr<const Pcm> cached_sound;
};

// Mode 0 the speaker beep, 1 the tone sample at the output, 2 both; above 2, mode 1 with that
// volume. Blocks for the duration. Without "3520.wav" every mode beeps.
void PlayTone(SoundPlayers& players, int frequency, int milliseconds, int mode, int volume);
// An empty file plays "stop.wav", silencing the wave; wait 1 blocks until the wave ends.
void PlayWave(SoundPlayers& players, const std::string& file, int wait);
// Mode 0 replaces every media player, 1 blocks until the file ends, 2 plays beside the others.
// An empty file stops them all.
void PlayMedia(SoundPlayers& players, const std::string& file, int mode, int volume, int balance);
// The same for OGG and wave files in the sound slots.
void PlayOgg(SoundPlayers& players, const std::string& file, int mode, int volume, int balance);
void PlayAlarmFile(SoundPlayers& players, const std::string& file);
void StopAlarmSounds(SoundPlayers& players);

// The ring cycle's players over these players; `wait` keeps the window answering.
AlarmPlayer alarm_player(SoundPlayers& players, std::function<void(std::chrono::milliseconds)> wait,
                         std::function<bool()> stop_requested);

}  // namespace tavelo
