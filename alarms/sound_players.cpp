#include "alarms/sound_players.hpp"

#include <algorithm>
#include <cmath>

#include "alarms/synth.hpp"
#include "platform/files.hpp"
#include "platform/sound_decoders.hpp"

namespace tavelo {

namespace {

using std::chrono::milliseconds;

void report(const SoundPlayers& players, std::string_view what, std::string_view file = {}) {
  if (players.report) players.report(what, file);
}

// Volume 0..100 on a logarithmic curve (40 dB over the range), balance -100..100 attenuating the
// other side.
VoiceSettings settings_for(int volume, int balance) {
  const double v = std::clamp(volume, 0, 100) / 100.0;
  const double gain = v * v;
  const double b = std::clamp(balance, -100, 100) / 100.0;
  return VoiceSettings{0, gain * (b > 0 ? 1 - b : 1), gain * (b < 0 ? 1 + b : 1), false};
}

std::shared_ptr<const Pcm> decoded(SoundPlayers& players, const std::string& file) {
  if (file == players.cached_file && players.cached_sound) return players.cached_sound;
  auto sound = decode_sound_file(native_path(players.program_folder, file));
  if (!sound) return nullptr;
  players.cached_file = file;
  players.cached_sound = std::make_shared<const Pcm>(std::move(*sound));
  return players.cached_sound;
}

const Pcm* tone_sample(SoundPlayers& players) {
  if (!players.tone_sample_tried) {
    players.tone_sample_tried = true;
    if (auto sound = decode_sound_file(players.program_folder / "3520.wav")) {
      players.tone_sample = std::make_shared<const Pcm>(std::move(*sound));
    }
  }
  return players.tone_sample.get();
}

void speaker_beep_for(SoundPlayers& players, int frequency, int ms) {
  players.mixer.play(std::make_shared<const Pcm>(
                         speaker_beep(frequency, ms, players.mixer.output_rate())),
                     settings_for(60, 0));
  players.clock.sleep(milliseconds(ms));
}

void stop_all(SoundPlayers& players, std::vector<VoiceId>& voices) {
  for (VoiceId v : voices) players.mixer.stop(v);
  voices.clear();
}

void forget_ended(SoundPlayers& players, std::vector<VoiceId>& voices) {
  std::erase_if(voices, [&](VoiceId v) { return !players.mixer.playing(v); });
}

// The media players' and the sound slots' shared contract.
void play_in(SoundPlayers& players, std::vector<VoiceId>& voices, const std::string& file,
             int mode, int volume, int balance) {
  if (file.empty() || mode == 0) stop_all(players, voices);
  if (file.empty()) return;
  forget_ended(players, voices);
  const auto sound = decoded(players, file);
  if (!sound) return;
  const VoiceId voice = players.mixer.play(sound, settings_for(volume, balance));
  voices.push_back(voice);
  if (mode != 1) return;
  while (players.mixer.playing(voice)) players.clock.sleep(milliseconds(100));
}

}  // namespace

void PlayTone(SoundPlayers& players, int frequency, int ms, int mode, int volume) {
  report(players, "tone " + std::to_string(frequency) + " " + std::to_string(ms));
  if (mode > 2) {
    volume = mode;
    mode = 1;
  }
  const Pcm* sample = mode == 0 ? nullptr : tone_sample(players);
  if (sample == nullptr) {
    speaker_beep_for(players, frequency, ms);
    return;
  }
  VoiceSettings looped = settings_for(volume, 0);
  looped.looped = true;
  looped.rate = std::round(frequency * kToneSampleRatePerHertz);
  const VoiceId voice = players.mixer.play(players.tone_sample, looped);
  if (mode == 2) {
    speaker_beep_for(players, frequency, ms);
  } else {
    players.clock.sleep(milliseconds(ms));
  }
  players.mixer.stop(voice);
}

void PlayWave(SoundPlayers& players, const std::string& file, int wait) {
  players.mixer.stop(players.wave);
  if (file.empty()) {
    if (const auto stop = decode_sound_file(players.program_folder / "stop.wav")) {
      players.wave = players.mixer.play(std::make_shared<const Pcm>(*stop), settings_for(100, 0));
    }
    return;
  }
  report(players, "wave", file);
  const auto sound = decoded(players, file);
  if (!sound) return;
  players.wave = players.mixer.play(sound, settings_for(100, 0));
  while (wait == 1 && players.mixer.playing(players.wave)) {
    players.clock.sleep(milliseconds(10));
  }
}

void PlayMedia(SoundPlayers& players, const std::string& file, int mode, int volume, int balance) {
  if (!file.empty()) report(players, "media", file);
  play_in(players, players.media, file, mode, volume, balance);
}

void PlayOgg(SoundPlayers& players, const std::string& file, int mode, int volume, int balance) {
  if (!file.empty()) report(players, "ogg", file);
  play_in(players, players.ogg, file, mode, volume, balance);
}

void PlayAlarmFile(SoundPlayers& players, const std::string& file) {
  const AlarmFilePlayers chosen = alarm_file_players(file);
  if (chosen.wave) PlayWave(players, file, -1);
  if (chosen.mp3) PlayMedia(players, file, 0, 100, 0);
  if (chosen.ogg) PlayOgg(players, file, 0, 100, 0);
}

void StopAlarmSounds(SoundPlayers& players) {
  report(players, "stop-sounds");
  PlayWave(players, "", -1);
  PlayMedia(players, "", 0, 100, 0);
  PlayOgg(players, "", 0, 100, 0);
}

AlarmPlayer alarm_player(SoundPlayers& players, std::function<void(milliseconds)> wait,
                         std::function<bool()> stop_requested) {
  return AlarmPlayer{
      [&players](int f, int ms, int mode, int volume) { PlayTone(players, f, ms, mode, volume); },
      [&players](const std::string& file) { PlayAlarmFile(players, file); },
      [&players] { StopAlarmSounds(players); }, std::move(wait), std::move(stop_requested)};
}

}  // namespace tavelo
