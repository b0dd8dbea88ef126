#include "tests/platform/speech_daemon.hpp"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace tavelo::testing {

namespace fs = std::filesystem;

namespace {

constexpr int kStartTimeoutMs = 20000;

void write_configuration(const fs::path& config, const fs::path& journal, const fs::path& spoken) {
  fs::create_directories(config / "modules");
  fs::create_directories(journal);
  std::ofstream(config / "speechd.conf")
      << "LogLevel 3\n"
      << "LogDir \"" << journal.string() << "\"\n"
      << "AudioOutputMethod \"alsa\"\n"
      << "AudioALSADevice \"null\"\n"
      << "AddModule \"enregistreur\" \"sd_generic\" \"enregistreur.conf\"\n"
      << "DefaultModule enregistreur\n"
      << "LanguageDefaultModule \"fr\" \"enregistreur\"\n"
      << "DisableAutoSpawn\n";
  // The texts are written in UTF-8 whichever language the client asks for (a screen reader
  // under C.UTF-8 asks for English; the module would write other languages in Latin-1).
  std::ofstream(config / "modules" / "enregistreur.conf")
      << "GenericExecuteSynth \"echo \\'$DATA\\' >> " << spoken.string() << "; sleep 0.5\"\n"
      << "AddVoice \"fr\" \"MALE1\" \"voix-essai\"\n"
      << "GenericLanguage \"fr\" \"fr\" \"utf-8\"\n"
      << "GenericLanguage \"en\" \"en\" \"utf-8\"\n";
}

}  // namespace

SpeechDaemon::SpeechDaemon(const fs::path& folder)
    : spoken_(folder / "dit.txt"), config_home_(folder / "config") {
  const fs::path config = config_home_ / "speech-dispatcher";
  write_configuration(config, folder / "journal", spoken_);
  const fs::path socket = folder / "speechd.sock";
  ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  ::setenv("SPEECHD_ADDRESS", ("unix_socket:" + socket.string()).c_str(), 1);
  daemon_ = std::make_unique<ChildProcess>(std::vector<std::string>{
      "speech-dispatcher", "-s", "-t", "0", "-c", "unix_socket", "-S", socket.string(), "-C",
      config.string(), "-P", (folder / "speechd.pid").string()});
  if (!eventually([&] { return fs::exists(socket); }, kStartTimeoutMs)) {
    throw std::runtime_error("speech-dispatcher did not start");
  }
}

std::string SpeechDaemon::spoken() const {
  std::ifstream in(spoken_);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool SpeechDaemon::heard(const std::string& text) const {
  return spoken().find(text) != std::string::npos;
}

}  // namespace tavelo::testing
