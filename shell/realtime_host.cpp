#include "shell/realtime_host.hpp"

#include <memory>
#include <random>

#include "access/dialog.hpp"
#include "alarms/chime_profile.hpp"
#include "planning/calendar.hpp"
#include "planning/editor_form.hpp"
#include "platform/services.hpp"
#include "shell/agenda_program.hpp"
#include "shell/hand_off.hpp"
#include "shell/management_dialog.hpp"
#include "shell/option_windows.hpp"
#include "shell/planning_windows.hpp"
#include "shell/tray.hpp"

namespace tavelo {

namespace {

RandomIndex chime_random() {
  auto engine = std::make_shared<std::mt19937>(std::random_device{}());
  return [engine](std::size_t count) -> std::size_t {
    if (count == 0) return 0;
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(*engine);
  };
}

// The network belongs to the program's entry, which outlives the host and so every URL task:
// the tasks share it without owning it.
std::shared_ptr<Network> borrowed(Network& network) {
  return {std::shared_ptr<Network>(), &network};
}

// The slot that keeps the agenda's window while a window opened from it shows.
constexpr int kAgendaSlot = 4;

// The management settings show over the agenda's window, shown or hidden, which comes back as it
// was.
void management_settings(AgendaRun& run) {
  SaveDialog(kAgendaSlot);
  ManagementSettingsDialog(run.settings, run.program_folder, run.writable == 1);
  RestoreDialog(kAgendaSlot);
}

// The editor opens at today's date, on the agenda's window, which the agenda builds again.
void edit(RealtimeHost& host, AgendaRun& run, const std::optional<fs::path>& planning) {
  PlanningWindows windows{run.program_folder, run.settings,      interface_clock(), host.prompts,
                          host.network,       host.alarm_sounds, host.server};
  EditPlanning(windows, planning ? kModifyPlanning : kNewPlanning, todaynumber(interface_clock()),
               planning ? planning->filename().string() : "");
}

RealtimeServices services_of(RealtimeHost& host, AgendaRun& run) {
  RealtimeServices services{
      run.program_folder,
      run.settings,
      host.prompts,
      host.alarm_sounds,
      host.chimes,
      borrowed(host.network),
      host.server,
      host.url_tasks,
      host.url_task_icon,
      host.mails,
      // The window holds the single-instance lock while it shows.
      [&run] {
        if (!run.lock) run.lock = LockFile::take(run.program_folder / kInstanceLock);
        return run.lock.has_value();
      },
      [&run] { run.lock.reset(); },
      [&run] { return ReadTrayAction(run.program_folder); },
      [&host, &run](bool asked) {
        // Asked from the tray menu, the check asks before downloading and says when the version
        // is up to date; the agenda's own check follows the settings, quietly.
        return CheckForUpdateOf(run, asked ? 2 : run.settings.update_check, asked ? 0 : 1,
                                host.network, host.server, host.prompts);
      },
      host.receive_network_plannings,
      [&host, &run](const std::optional<fs::path>& planning) { edit(host, run, planning); },
      // Asked for by the journal when no journal folder is set.
      [&run] { management_settings(run); },
      [&run] { DesktopIconOption(run, todaynumber(interface_clock())); },
  };
  return services;
}

}  // namespace

RealtimeHost::RealtimeHost(const fs::path& program_folder, Prompts& agenda_prompts,
                           SoundPlayers& alarms, Network& agenda_network,
                           std::optional<std::string> web_server)
    : prompts(agenda_prompts),
      alarm_sounds(alarms),
      network(agenda_network),
      server(std::move(web_server)),
      chime_players(sound_mixer(), interface_clock(), chime_folder(program_folder)),
      chimes{chime_players, {}, chime_random()},
      url_tasks(borrowed(agenda_network), program_folder, url_task_icon) {
  // The chimes are heard as the alarms are: a scripted session tells them in its transcript.
  chime_players.report = sound_report();
}

std::string RunRealtimeAgenda(RealtimeHost& host, AgendaRun& run, const CommandLine& given) {
  RealtimeServices services = services_of(host, run);
  RealtimeRun shared;
  shared.window_shown = run.window_shown;
  shared.management_done = run.management_done;
  shared.start_chime_due = run.start_chime_due;
  shared.chime_announcement_pending = run.chime_announcement_pending;
  shared.calendar_day = run.calendar_day;
  shared.told_no_notification_area = host.told_no_notification_area;
  const std::string event = RealtimeAgenda(services, shared, given.switches);
  run.window_shown = shared.window_shown;
  run.management_done = shared.management_done;
  run.start_chime_due = shared.start_chime_due;
  run.chime_announcement_pending = shared.chime_announcement_pending;
  run.calendar_day = shared.calendar_day;
  run.command_line.exchange_file = shared.exchange_file;
  host.told_no_notification_area = shared.told_no_notification_area;
  return event;
}

void SleepBeforeAgenda(const fs::path& program_folder) {
  OpenDialog("", 0, 0, 4, 40, "Tavelo en mode sommeil", kHiddenWindow);
  SleepMode(program_folder);
}

}  // namespace tavelo
