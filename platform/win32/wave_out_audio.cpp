#include "platform/win32/wave_out_audio.hpp"

#include <windows.h>
// windows.h first: the multimedia header needs its types.
#include <mmsystem.h>

#include <array>
#include <vector>

namespace tavelo {

namespace {

// Four buffers of 1024 frames: about 23 ms each at 44.1 kHz, 93 ms queued in all.
constexpr std::size_t kBuffers = 4;
constexpr std::size_t kFrames = 1024;

struct Buffer {
  std::vector<std::int16_t> samples = std::vector<std::int16_t>(2 * kFrames);
  WAVEHDR header{};
};

}  // namespace

WaveOutAudioOutput::WaveOutAudioOutput(Mixer& mixer) : mixer_(mixer) {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = static_cast<DWORD>(mixer.output_rate());
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  const HANDLE ready = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HWAVEOUT device = nullptr;
  if (ready == nullptr) return;
  if (waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(ready), 0,
                  CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    CloseHandle(ready);
    return;
  }
  running_ = true;
  thread_ = std::thread([this, device, ready] { play(device, ready); });
}

WaveOutAudioOutput::~WaveOutAudioOutput() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
}

// Each buffer the device has played is filled again from the mixer and queued, until stopped.
void WaveOutAudioOutput::play(void* device_handle, void* ready) {
  const auto device = static_cast<HWAVEOUT>(device_handle);
  std::array<Buffer, kBuffers> buffers;
  for (Buffer& buffer : buffers) {
    buffer.header.lpData = reinterpret_cast<LPSTR>(buffer.samples.data());
    buffer.header.dwBufferLength = static_cast<DWORD>(buffer.samples.size() * 2);
    waveOutPrepareHeader(device, &buffer.header, sizeof(WAVEHDR));
    buffer.header.dwFlags |= WHDR_DONE;  // free to be filled
  }
  while (!stopping_) {
    for (Buffer& buffer : buffers) {
      if ((buffer.header.dwFlags & WHDR_DONE) == 0) continue;
      buffer.header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
      mixer_.render(buffer.samples.data(), kFrames);
      waveOutWrite(device, &buffer.header, sizeof(WAVEHDR));
    }
    WaitForSingleObject(static_cast<HANDLE>(ready), 50);
  }
  waveOutReset(device);
  for (Buffer& buffer : buffers) waveOutUnprepareHeader(device, &buffer.header, sizeof(WAVEHDR));
  waveOutClose(device);
  CloseHandle(static_cast<HANDLE>(ready));
  running_ = false;
}

}  // namespace tavelo
