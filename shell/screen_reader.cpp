#include "shell/screen_reader.hpp"

#include "access/speech.hpp"

namespace tavelo {

void RefreshScreenReader() {
  RunScreenReaderScript("RefreshScreen");
  Speak("", kSettleMs);
}

}  // namespace tavelo
