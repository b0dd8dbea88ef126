#include "platform/sound_decoders.hpp"

#include <mpg123.h>
#include <sndfile.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/files.hpp"

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

// The decoders read the file's bytes from memory: the file itself is opened by the standard
// library, with a wide name on Windows, so that no decoder meets a path in a code page.
struct Bytes {
  const std::string& data;
  std::size_t position = 0;

  std::size_t read(void* into, std::size_t wanted) {
    const std::size_t count = std::min(wanted, data.size() - position);
    std::memcpy(into, data.data() + position, count);
    position += count;
    return count;
  }
  // Moves as fseek does; false for a place outside the bytes.
  bool seek(std::int64_t offset, int whence) {
    const std::int64_t base = whence == SEEK_SET   ? 0
                              : whence == SEEK_CUR ? static_cast<std::int64_t>(position)
                                                   : static_cast<std::int64_t>(data.size());
    const std::int64_t target = base + offset;
    if (target < 0 || target > static_cast<std::int64_t>(data.size())) return false;
    position = static_cast<std::size_t>(target);
    return true;
  }
};

// libsndfile's view of the bytes, and of a text it writes into.
struct SoundFileIo {
  static sf_count_t length(void* user) {
    return static_cast<sf_count_t>(static_cast<Bytes*>(user)->data.size());
  }
  static sf_count_t seek(sf_count_t offset, int whence, void* user) {
    auto* bytes = static_cast<Bytes*>(user);
    bytes->seek(offset, whence);
    return static_cast<sf_count_t>(bytes->position);
  }
  static sf_count_t read(void* into, sf_count_t count, void* user) {
    return static_cast<sf_count_t>(
        static_cast<Bytes*>(user)->read(into, static_cast<std::size_t>(count)));
  }
  static sf_count_t tell(void* user) {
    return static_cast<sf_count_t>(static_cast<Bytes*>(user)->position);
  }
  static sf_count_t no_write(const void*, sf_count_t, void*) { return 0; }
};

std::optional<Pcm> decode_with_sndfile(const std::string& data) {
  Bytes source{data};
  SF_VIRTUAL_IO io{SoundFileIo::length, SoundFileIo::seek, SoundFileIo::read, SoundFileIo::no_write,
                   SoundFileIo::tell};
  SF_INFO info{};
  SNDFILE* sound = sf_open_virtual(&io, SFM_READ, &info, &source);
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

// vorbisfile's view of the bytes.
struct VorbisIo {
  static std::size_t read(void* into, std::size_t size, std::size_t count, void* user) {
    return size == 0 ? 0 : static_cast<Bytes*>(user)->read(into, size * count) / size;
  }
  static int seek(void* user, ogg_int64_t offset, int whence) {
    return static_cast<Bytes*>(user)->seek(offset, whence) ? 0 : -1;
  }
  static long tell(void* user) { return static_cast<long>(static_cast<Bytes*>(user)->position); }
};

std::optional<Pcm> decode_with_vorbisfile(const std::string& data) {
  Bytes source{data};
  const ov_callbacks io{VorbisIo::read, VorbisIo::seek, nullptr, VorbisIo::tell};
  OggVorbis_File vorbis;
  if (ov_open_callbacks(&source, &vorbis, nullptr, 0, io) != 0) return std::nullopt;
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

std::optional<Pcm> decode_with_mpg123(const std::string& data) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { mpg123_init(); });
  mpg123_handle* mp3 = mpg123_new(nullptr, nullptr);
  if (mp3 == nullptr) return std::nullopt;
  long rate = 0;
  int channels = 0, encoding = 0;
  Pcm pcm;
  // The whole file is fed at once; the first read tells the stream's format.
  if (mpg123_open_feed(mp3) == MPG123_OK &&
      mpg123_feed(mp3, reinterpret_cast<const unsigned char*>(data.data()), data.size()) ==
          MPG123_OK &&
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

bool looks_like_mp3(const std::string& head) {
  if (head.rfind("ID3", 0) == 0) return true;
  return head.size() >= 2 && static_cast<unsigned char>(head[0]) == 0xFF &&
         (static_cast<unsigned char>(head[1]) & 0xE0) == 0xE0;
}

}  // namespace

std::optional<Pcm> decode_sound_file(const std::filesystem::path& file) {
  // A file of the longest sound in 16-bit samples, with room for its header.
  const auto data = read_file(file, kLongestSoundSamples * 2 + (1u << 16));
  if (!data || data->size() < 4) return std::nullopt;
  const std::string head = data->substr(0, 4);
  if (head == "OggS") return decode_with_vorbisfile(*data);
  if (looks_like_mp3(head)) return decode_with_mpg123(*data);
  return decode_with_sndfile(*data);
}

bool write_wav(const std::filesystem::path& file, const Pcm& sound) {
  if (sound.channels < 1 || sound.samples.size() > kLongestSoundSamples) return false;
  // The canonical 44-byte header, then the samples, little-endian.
  std::string bytes;
  const auto put = [&bytes](std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  const auto channels = static_cast<std::uint32_t>(sound.channels);
  const auto rate = static_cast<std::uint32_t>(sound.rate);
  const auto data_size = static_cast<std::uint32_t>(sound.samples.size() * 2);
  bytes += "RIFF";
  put(36 + data_size, 4);
  bytes += "WAVEfmt ";
  put(16, 4);
  put(1, 2);  // PCM
  put(channels, 2);
  put(rate, 4);
  put(rate * channels * 2, 4);
  put(channels * 2, 2);
  put(16, 2);
  bytes += "data";
  put(data_size, 4);
  for (const std::int16_t sample : sound.samples) put(static_cast<std::uint16_t>(sample), 2);
  return write_file_atomically(file, bytes);
}

}  // namespace tavelo
