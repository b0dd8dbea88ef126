#include "platform/sound_decoders.hpp"

#include <mpg123.h>
#include <sndfile.h>
#include <vorbis/vorbisfile.h>

#include <array>
#include <cstring>
#include <fstream>
#include <mutex>

namespace tavelo {

namespace {

// Appends decoded interleaved samples, keeping at most two channels and the overall limit.
// False once the limit is reached.
bool append(Pcm& pcm, const std::int16_t* samples, std::size_t frames, int source_channels) {
  for (std::size_t f = 0; f < frames; ++f) {
    if (pcm.samples.size() + 2 > kLongestSoundSamples) return false;
    for (int c = 0; c < pcm.channels; ++c) {
      pcm.samples.push_back(samples[f * static_cast<std::size_t>(source_channels) +
                                    static_cast<std::size_t>(c)]);
    }
  }
  return true;
}

std::optional<Pcm> finished(Pcm pcm) {
  if (pcm.samples.empty() || pcm.rate <= 0) return std::nullopt;
  return pcm;
}

std::optional<Pcm> decode_with_sndfile(const std::filesystem::path& file) {
  SF_INFO info{};
  SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
  if (sound == nullptr) return std::nullopt;
  Pcm pcm;
  pcm.rate = info.samplerate;
  pcm.channels = info.channels >= 2 ? 2 : 1;
  if (info.channels >= 1 && info.channels <= 64) {
    std::vector<std::int16_t> buffer(4096u * static_cast<std::size_t>(info.channels));
    sf_count_t read = 0;
    while ((read = sf_readf_short(sound, buffer.data(), 4096)) > 0 &&
           append(pcm, buffer.data(), static_cast<std::size_t>(read), info.channels)) {
    }
  }
  sf_close(sound);
  return finished(std::move(pcm));
}

std::optional<Pcm> decode_with_vorbisfile(const std::filesystem::path& file) {
  OggVorbis_File vorbis;
  if (ov_fopen(file.c_str(), &vorbis) != 0) return std::nullopt;
  const vorbis_info* info = ov_info(&vorbis, -1);
  Pcm pcm;
  int channels = 0;
  if (info != nullptr && info->channels >= 1 && info->channels <= 255) {
    channels = info->channels;
    pcm.rate = static_cast<int>(info->rate);
    pcm.channels = channels >= 2 ? 2 : 1;
    std::array<char, 16384> buffer{};
    int section = 0;
    for (;;) {
      const long bytes = ov_read(&vorbis, buffer.data(), static_cast<int>(buffer.size()), 0, 2, 1,
                                 &section);
      if (bytes == OV_HOLE) continue;
      if (bytes <= 0) break;
      const std::size_t frames = static_cast<std::size_t>(bytes) / 2 / static_cast<std::size_t>(channels);
      std::vector<std::int16_t> samples(frames * static_cast<std::size_t>(channels));
      std::memcpy(samples.data(), buffer.data(), samples.size() * 2);
      if (!append(pcm, samples.data(), frames, channels)) break;
    }
  }
  ov_clear(&vorbis);
  return finished(std::move(pcm));
}

std::optional<Pcm> decode_with_mpg123(const std::filesystem::path& file) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { mpg123_init(); });
  mpg123_handle* mp3 = mpg123_new(nullptr, nullptr);
  if (mp3 == nullptr) return std::nullopt;
  long rate = 0;
  int channels = 0, encoding = 0;
  Pcm pcm;
  if (mpg123_open(mp3, file.c_str()) == MPG123_OK &&
      mpg123_getformat(mp3, &rate, &channels, &encoding) == MPG123_OK && channels >= 1) {
    mpg123_format_none(mp3);
    mpg123_format(mp3, rate, channels, MPG123_ENC_SIGNED_16);
    pcm.rate = static_cast<int>(rate);
    pcm.channels = channels >= 2 ? 2 : 1;
    std::vector<std::int16_t> buffer(8192);
    for (;;) {
      std::size_t done = 0;
      const int status = mpg123_read(mp3, reinterpret_cast<unsigned char*>(buffer.data()),
                                     buffer.size() * 2, &done);
      const std::size_t frames = done / 2 / static_cast<std::size_t>(channels);
      if (frames > 0 && !append(pcm, buffer.data(), frames, channels)) break;
      if (status != MPG123_OK && status != MPG123_NEW_FORMAT) break;
    }
    mpg123_close(mp3);
  }
  mpg123_delete(mp3);
  return finished(std::move(pcm));
}

std::string first_bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string head(4, '\0');
  in.read(head.data(), 4);
  head.resize(static_cast<std::size_t>(in.gcount()));
  return head;
}

bool looks_like_mp3(const std::string& head) {
  if (head.rfind("ID3", 0) == 0) return true;
  return head.size() >= 2 && static_cast<unsigned char>(head[0]) == 0xFF &&
         (static_cast<unsigned char>(head[1]) & 0xE0) == 0xE0;
}

}  // namespace

std::optional<Pcm> decode_sound_file(const std::filesystem::path& file) {
  const std::string head = first_bytes(file);
  if (head.size() < 4) return std::nullopt;
  if (head == "OggS") return decode_with_vorbisfile(file);
  if (looks_like_mp3(head)) return decode_with_mpg123(file);
  return decode_with_sndfile(file);
}

bool write_wav(const std::filesystem::path& file, const Pcm& sound) {
  SF_INFO info{};
  info.samplerate = sound.rate;
  info.channels = sound.channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
  if (out == nullptr) return false;
  const auto frames = static_cast<sf_count_t>(sound.frames());
  const bool written = sf_writef_short(out, sound.samples.data(), frames) == frames;
  return sf_close(out) == 0 && written;
}

}  // namespace tavelo
