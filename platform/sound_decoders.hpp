#pragma once

#include <filesystem>
#include <optional>

#include "platform/pcm.hpp"

namespace tavelo {

// No sound the agenda plays comes near this; longer files are cut here rather than filling the
// memory (20 minutes of stereo at 48 kHz).
inline constexpr std::size_t kLongestSoundSamples = 20u * 60u * 48000u * 2u;

// Decodes a WAV, MP3 or OGG Vorbis file, chosen by its content. Nothing when the file is
// missing, of another kind, or broken; more than two channels keep the first two.
std::optional<Pcm> decode_sound_file(const std::filesystem::path& file);

// Writes 16-bit PCM as a WAV file.
bool write_wav(const std::filesystem::path& file, const Pcm& sound);

}  // namespace tavelo
