#include "platform/win32/win32_speech.hpp"

#include <windows.h>
// windows.h first: the SAPI header needs its types.
#include <sapi.h>

#include <algorithm>

#include "platform/win32/wide.hpp"

namespace tavelo {

namespace {

// The readers' functions, as their libraries export them.
using NvdaSpeak = unsigned long(__stdcall*)(const wchar_t* text);
using NvdaCall = unsigned long(__stdcall*)();
using JawsSay = BOOL(__stdcall*)(const char* text, BOOL interrupt);
using JawsScript = BOOL(__stdcall*)(const char* name);

template <typename Function>
Function function_of(HMODULE library, const char* name) {
  if (library == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// NVDA ships one controller client per process width; a process loads only its own.
const wchar_t* nvda_client_name() {
  return sizeof(void*) == 8 ? L"nvdaControllerClient64.dll" : L"nvdaControllerClient32.dll";
}

// JAWS takes its texts in the ANSI code page; what it cannot write becomes "?".
std::string ansi_of(std::string_view text) {
  const std::wstring wide = wide_of(text);
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), length, nullptr, nullptr);
  return ansi;
}

// The text as SAPI's XML reads it, said at the pitch (-10 to 10).
std::wstring voice_markup(std::string_view text, int pitch) {
  std::wstring markup = L"<pitch absmiddle=\"" + std::to_wstring(pitch) + L"\">";
  for (const wchar_t c : wide_of(text)) {
    switch (c) {
      case L'&':
        markup += L"&amp;";
        break;
      case L'<':
        markup += L"&lt;";
        break;
      case L'>':
        markup += L"&gt;";
        break;
      default:
        markup += c;
    }
  }
  return markup + L"</pitch>";
}

// A string value of a token's key; empty when it has none.
std::string value_of(ISpDataKey& key, const wchar_t* name) {
  wchar_t* value = nullptr;
  if (FAILED(key.GetStringValue(name, &value)) || value == nullptr) return {};
  std::string text = utf8_of(value);
  CoTaskMemFree(value);
  return text;
}

// A voice's name: its description, else the name among its attributes, else its identifier.
std::string name_of(ISpObjectToken& token) {
  std::string name = value_of(token, nullptr);
  ISpDataKey* attributes = nullptr;
  if (name.empty() && SUCCEEDED(token.OpenKey(L"Attributes", &attributes))) {
    name = value_of(*attributes, L"Name");
    attributes->Release();
  }
  wchar_t* identifier = nullptr;
  if (name.empty() && SUCCEEDED(token.GetId(&identifier)) && identifier != nullptr) {
    const std::wstring id(identifier);
    name = utf8_of(id.substr(id.find_last_of(L'\\') + 1));
    CoTaskMemFree(identifier);
  }
  return name;
}

template <typename Interface>
void release(Interface*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

}  // namespace

struct Win32Speech::Readers {
  Readers() : nvda(LoadLibraryW(nvda_client_name())), jaws(LoadLibraryW(L"jfwapi.dll")) {
    nvda_speak = function_of<NvdaSpeak>(nvda, "nvdaController_speakText");
    jaws_say = function_of<JawsSay>(jaws, "JFWSayString");
    jaws_script = function_of<JawsScript>(jaws, "JFWRunScript");
  }
  ~Readers() {
    if (nvda != nullptr) FreeLibrary(nvda);
    if (jaws != nullptr) FreeLibrary(jaws);
  }
  Readers(const Readers&) = delete;
  Readers& operator=(const Readers&) = delete;

  // NVDA's other two functions are looked up each time they are called.
  unsigned long nvda_call(const char* name) const {
    const auto call = function_of<NvdaCall>(nvda, name);
    return call != nullptr ? call() : ERROR_PROC_NOT_FOUND;
  }

  HMODULE nvda;
  HMODULE jaws;
  NvdaSpeak nvda_speak = nullptr;
  JawsSay jaws_say = nullptr;
  JawsScript jaws_script = nullptr;
};

struct Win32Speech::Voice {
  Voice() {
    const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    com_started = SUCCEEDED(started);  // a thread already in another apartment keeps it
    CoCreateInstance(__uuidof(SpVoice), nullptr, CLSCTX_ALL, __uuidof(ISpVoice),
                     reinterpret_cast<void**>(&voice));
  }
  ~Voice() {
    forget_voices();
    release(voice);
    if (com_started) CoUninitialize();
  }
  Voice(const Voice&) = delete;
  Voice& operator=(const Voice&) = delete;

  void forget_voices() {
    for (ISpObjectToken*& token : tokens) release(token);
    tokens.clear();
    names.clear();
  }

  // The installed voices, in the order SAPI lists them.
  void list_voices() {
    forget_voices();
    ISpObjectTokenCategory* category = nullptr;
    IEnumSpObjectTokens* found = nullptr;
    if (SUCCEEDED(CoCreateInstance(__uuidof(SpObjectTokenCategory), nullptr, CLSCTX_ALL,
                                   __uuidof(ISpObjectTokenCategory),
                                   reinterpret_cast<void**>(&category))) &&
        SUCCEEDED(category->SetId(SPCAT_VOICES, FALSE)) &&
        SUCCEEDED(category->EnumTokens(nullptr, nullptr, &found))) {
      ISpObjectToken* token = nullptr;
      while (found->Next(1, &token, nullptr) == S_OK) {
        names.push_back(name_of(*token));
        tokens.push_back(token);
      }
    }
    release(found);
    release(category);
  }

  bool com_started = false;
  ISpVoice* voice = nullptr;
  bool ready = false;
  std::vector<ISpObjectToken*> tokens;
  std::vector<std::string> names;
};

Win32Speech::Win32Speech() : readers_(std::make_unique<Readers>()) {}

Win32Speech::~Win32Speech() = default;

bool Win32Speech::offers_say() const {
  return readers_->jaws_say != nullptr;
}

bool Win32Speech::say(std::string_view text, bool interrupt) {
  if (readers_->jaws_say == nullptr) return false;
  return readers_->jaws_say(ansi_of(text).c_str(), interrupt ? TRUE : FALSE) != 0;
}

void Win32Speech::run_script(std::string_view name) {
  if (readers_->jaws_script != nullptr) readers_->jaws_script(ansi_of(name).c_str());
}

bool Win32Speech::offers_speak() const {
  return readers_->nvda_speak != nullptr;
}

int Win32Speech::speak(std::string_view text) {
  if (readers_->nvda_speak == nullptr) return static_cast<int>(ERROR_PROC_NOT_FOUND);
  const unsigned long code = readers_->nvda_speak(wide_of(text).c_str());
  return static_cast<int>(std::min<unsigned long>(code, 0x7FFFFFFF));
}

void Win32Speech::cancel() {
  readers_->nvda_call("nvdaController_cancelSpeech");
}

bool Win32Speech::reader_running() {
  return readers_->nvda_call("nvdaController_testIfRunning") == 0;
}

// Each style has its own reader's library: JAWS says, NVDA speaks.
std::string Win32Speech::reader_name(int style) const {
  return style == 1 ? "JAWS" : style == 2 ? "NVDA" : "";
}

bool Win32Speech::voice_open() {
  if (voice_ == nullptr) voice_ = std::make_unique<Voice>();
  if (voice_->voice == nullptr) voice_.reset();
  return voice_ != nullptr;
}

void Win32Speech::voice_init(bool) {
  // SAPI tells whether it is speaking whenever asked: there is nothing to be told to report.
  if (!voice_open()) return;
  voice_->list_voices();
  voice_->ready = true;
}

void Win32Speech::voice_close() {
  voice_.reset();
}

int Win32Speech::voice_count() {
  return voice_ != nullptr && voice_->ready ? static_cast<int>(voice_->names.size()) : 0;
}

std::string Win32Speech::voice_name(int index) {
  if (index < 0 || index >= voice_count()) return {};
  return voice_->names[static_cast<std::size_t>(index)];
}

void Win32Speech::voice_select(int index) {
  if (index >= 0 && index < voice_count()) {
    voice_->voice->SetVoice(voice_->tokens[static_cast<std::size_t>(index)]);
  }
}

void Win32Speech::voice_set_volume(int volume) {
  volume_ = volume;
  if (voice_ != nullptr) voice_->voice->SetVolume(static_cast<USHORT>(std::clamp(volume, 0, 100)));
}

void Win32Speech::voice_set_rate(int rate) {
  rate_ = rate;
  if (voice_ != nullptr) voice_->voice->SetRate(std::clamp(rate, -10, 10));
}

void Win32Speech::voice_set_pitch(int pitch) {
  pitch_ = std::clamp(pitch, -10, 10);  // SAPI takes the pitch with each text
}

void Win32Speech::voice_speak(std::string_view text) {
  if (voice_ == nullptr || !voice_->ready) return;
  voice_->voice->Speak(voice_markup(text, pitch_).c_str(), SPF_ASYNC | SPF_IS_XML, nullptr);
}

void Win32Speech::voice_stop() {
  if (voice_ != nullptr) voice_->voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
}

bool Win32Speech::voice_speaking() {
  SPVOICESTATUS status{};
  return voice_ != nullptr && voice_->ready &&
         SUCCEEDED(voice_->voice->GetStatus(&status, nullptr)) &&
         status.dwRunningState == SPRS_IS_SPEAKING;
}

}  // namespace tavelo
