#pragma once

#include <string>
#include <string_view>

namespace tavelo {

// The machine's speech. The screen-reader channel comes in two styles, either or both of which a
// service may offer: "say" (text with an interrupt flag, reporting whether the reader spoke) and
// "speak" (text, an explicit cancel and a running test). The voice channel is a speech
// synthesiser with numbered voices, used for spoken notifications.
class Speech {
 public:
  virtual ~Speech() = default;

  virtual bool offers_say() const = 0;
  virtual bool say(std::string_view text, bool interrupt) = 0;  // true when the reader spoke
  virtual void run_script(std::string_view name) = 0;

  virtual bool offers_speak() const = 0;
  virtual int speak(std::string_view text) = 0;  // 0 done, a positive code when not running
  virtual void cancel() = 0;
  virtual bool reader_running() = 0;
  // The name users know the reader of a style by (1 "say", 2 "speak"), such as "NVDA"; empty
  // when the channel speaks for whatever screen reader the desktop runs.
  virtual std::string reader_name(int style) const {
    static_cast<void>(style);
    return {};
  }

  // Voice channel. `voice_open` fails when no synthesiser is there.
  virtual bool voice_open() = 0;
  virtual void voice_init(bool report_speaking) = 0;
  virtual void voice_close() = 0;
  virtual int voice_count() = 0;
  virtual std::string voice_name(int index) = 0;  // empty when the engine is not ready
  virtual void voice_select(int index) = 0;
  virtual void voice_set_volume(int volume) = 0;
  virtual void voice_set_rate(int rate) = 0;
  virtual void voice_set_pitch(int pitch) = 0;
  virtual int voice_volume() = 0;
  virtual int voice_rate() = 0;
  virtual int voice_pitch() = 0;
  virtual void voice_speak(std::string_view text) = 0;
  virtual void voice_stop() = 0;
  virtual bool voice_speaking() = 0;
};

}  // namespace tavelo
