#include "tests/platform/orca_session.hpp"

#include <locale.h>

namespace tavelo::testing {

namespace fs = std::filesystem;

namespace {

std::string prefs_folder(const fs::path& folder) {
  fs::create_directories(folder / "orca");
  return (folder / "orca").string();
}

}  // namespace

std::string orca_locale() {
  locale_t french = ::newlocale(LC_ALL_MASK, "fr_FR.UTF-8", static_cast<locale_t>(nullptr));
  if (french == static_cast<locale_t>(nullptr)) return "C.UTF-8";
  ::freelocale(french);
  return "fr_FR.UTF-8";
}

Orca::Orca(const fs::path& folder, const SpeechDaemon& daemon, const std::string& locale,
           std::function<void()> pump)
    : process_({"env", "GSETTINGS_BACKEND=memory", "HOME=" + folder.string(),
                "XDG_CONFIG_HOME=" + daemon.config_home().string(),
                "XDG_DATA_HOME=" + (folder / "data").string(),
                "XDG_CACHE_HOME=" + (folder / "cache").string(), "LANG=" + locale,
                "LC_ALL=" + locale, "LANGUAGE=", "/usr/bin/python3",
                std::string(TAVELO_SOURCE_DIR) + "/tests/platform/run_orca.py",
                prefs_folder(folder)}),
      pump_(std::move(pump)) {}

Orca::~Orca() {
  process_.stop(kOrcaPatienceMs, pump_);
}

}  // namespace tavelo::testing
