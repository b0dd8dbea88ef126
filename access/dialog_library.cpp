#include "access/dialog_library.hpp"

#include <dlfcn.h>

#include <algorithm>
#include <limits>

#include "access/interface_context.hpp"
#include "planning/chain.hpp"
#include "planning/text.hpp"
#include "platform/fault.hpp"
#include "platform/parlon_exports.hpp"

namespace tavelo {

namespace {

struct DialogLibrary {
  void* handle = nullptr;
  ParlonFunction parlon = nullptr;
  FindboxFunction findbox = nullptr;
  std::filesystem::path folder;
};

// The loaded library stays loaded for the process; what it answered is in the interface context.
DialogLibrary& library() {
  static DialogLibrary loaded;
  return loaded;
}

std::string missing_library_text() {
  return std::string(kDialogLibraryFile) + " manquant dans le dossier:\r" +
         library().folder.string();
}

// A number as the dialog chains write them: digits with an optional sign, spaces around.
bool is_number(std::string_view text) {
  text = trim_spaces(text);
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number_of(std::string_view text) {
  const std::int64_t value = leading_integer(text);
  return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

[[noreturn]] void ask_fault(std::string_view what, std::string_view chain_text) {
  throw Fault("erreur advparlon", std::string(what) + "\r" + std::string(chain_text));
}

std::string field(std::string_view chain_text, int n) {
  return chain(chain_text, "|", n, 1);
}

int call_parlon(std::string_view chain_text, std::string_view sound_file) {
  DialogLibrary& lib = library();
  const int fields = chaincount(chain_text, "|");
  if (fields < 3) ask_fault("Nombre de séparration insuffisante...", chain_text);
  if (!is_number(field(chain_text, 3))) {
    ask_fault("la troisième séparration doit être un nombre", chain_text);
  }
  int buttons = fields - 3;
  int default_button = 1;
  if (buttons > 0 && is_number(field(chain_text, fields))) {
    --buttons;
    default_button = number_of(field(chain_text, fields));
    if (default_button > buttons) {
      ask_fault("Le boutton par défaut excède le nombre de boutton défini...", chain_text);
    }
  }
  std::error_code error;
  if (!sound_file.empty() && !std::filesystem::exists(sound_file, error)) {
    throw Fault("erreur advparlon...",
                "Le fichier son spécifié est introuvable...\r" + std::string(sound_file));
  }
  std::string title = field(chain_text, 1);
  if (buttons == 0 && title.empty()) title = "notice...";
  std::string captions;
  for (int n = 4; n <= 3 + buttons; ++n) {
    if (n > 4) captions += '|';
    captions += field(chain_text, n);
  }
  const std::string answer =
      from_wide(lib.parlon(to_wide(title).c_str(), to_wide(field(chain_text, 2)).c_str(),
                           number_of(field(chain_text, 3)), to_wide(captions).c_str(),
                           default_button, to_wide(sound_file).c_str()));
  if (buttons == 0) return 0;
  const auto space = answer.find(' ');
  if (buttons > 1 && space != std::string::npos) {
    interface_context().ask.checked =
        std::string(trim_spaces(std::string_view(answer).substr(space + 1)));
  }
  return number_of(answer.substr(0, space));
}

}  // namespace

bool LoadDialogLibrary(const std::filesystem::path& program_folder) {
  DialogLibrary& lib = library();
  if (lib.handle != nullptr) dlclose(lib.handle);
  lib.handle = nullptr;
  lib.parlon = nullptr;
  lib.findbox = nullptr;
  lib.folder = program_folder;
  void* handle = dlopen((program_folder / kDialogLibraryFile).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return false;
  auto* parlon = reinterpret_cast<ParlonFunction>(dlsym(handle, kParlonExport));
  auto* findbox = reinterpret_cast<FindboxFunction>(dlsym(handle, kFindboxExport));
  if (parlon == nullptr || findbox == nullptr) {
    dlclose(handle);
    return false;
  }
  lib.handle = handle;
  lib.parlon = parlon;
  lib.findbox = findbox;
  return true;
}

bool DialogLibraryLoaded() {
  return library().handle != nullptr;
}

int AskUser(std::string_view chain_text, std::string_view sound_file) {
  if (!DialogLibraryLoaded()) throw Fault("erreur advparlon", missing_library_text());
  AskState& ask = interface_context().ask;
  ask.checked.clear();
  const int pressed = call_parlon(chain_text, sound_file);
  if (ask.recorder) ask.recorder(chain_text, pressed);
  return pressed;
}

const std::string& AskUserCheckBoxes() {
  return interface_context().ask.checked;
}

std::string FindBoxAnswer(bool find_only) {
  if (!DialogLibraryLoaded()) throw Fault("erreur findrequester", missing_library_text());
  return from_wide(library().findbox(find_only ? 1 : 0));
}

void record_asks_in(AskRecorder recorder) {
  interface_context().ask.recorder = std::move(recorder);
}

}  // namespace tavelo
