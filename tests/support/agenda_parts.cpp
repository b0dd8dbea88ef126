#include "tests/support/agenda_parts.hpp"

#include "alarms/chime_profile.hpp"
#include "platform/portable/curl_network.hpp"
#include "tests/support/local_server.hpp"

namespace tavelo::testing {

AgendaParts::AgendaParts(std::filesystem::path program_folder, Settings& agenda_settings)
    : folder(std::move(program_folder)),
      settings(agenda_settings),
      chime_clock({2026, 1, 1, 0, 0, 0, 0}),
      chime_players(chime_mixer, chime_clock, chime_folder(folder)),
      chimes{chime_players, {}, [](std::size_t) -> std::size_t { return 0; }},
      network(std::make_shared<CurlNetwork>(quick_network_options())),
      url_tasks(network, folder, url_icon) {}

RealtimeServices AgendaParts::services(SoundPlayers& alarms) {
  return {folder, settings, prompts, alarms,           chimes, network, server, url_tasks, url_icon,
          mails,  {},       {},      read_tray_action, {},     {},      {},     {},        {}};
}

void AgendaParts::finish_threads() {
  url_tasks.wait();
  mails.clear();
}

}  // namespace tavelo::testing
