#include "shell/agenda_program.hpp"

#include "access/dialog.hpp"
#include "access/dialog_library.hpp"
#include "access/speech.hpp"
#include "access/window_prompts.hpp"
#include "alarms/chime_catalogue.hpp"
#include "alarms/chime_options_window.hpp"
#include "alarms/sound_players.hpp"
#include "exchange/exchange_windows.hpp"
#include "exchange/import_window.hpp"
#include "maintenance/update_window.hpp"
#include "platform/services.hpp"
#include "shell/calendar_window.hpp"
#include "shell/management_dialog.hpp"
#include "shell/realtime_host.hpp"
#include "shell/report_window.hpp"
#include "shell/startup.hpp"

namespace tavelo {

namespace {

// Everything the start-up reaches, for as long as the program runs.
struct Program {
  Program(const fs::path& folder, Network& net)
      : players(sound_mixer(), interface_clock(), folder),
        network(net),
        server(read_server_address(folder)),
        realtime(folder, prompts, players, net, server) {
    players.report = sound_report();
    // The program's network outlives every minute; a fetch under way is waited for at the end.
    minute_receive.network = std::shared_ptr<Network>(&net, [](Network*) {});
  }

  WindowPrompts prompts;
  SoundPlayers players;
  Network& network;
  std::optional<std::string> server;
  RealtimeHost realtime;
  MinuteReceive minute_receive;
};

ExchangeWindows exchange_of(AgendaRun& run, Program& p) {
  return {run.program_folder, run.settings, interface_clock(), p.network, p.prompts};
}

StartupHost host_of(AgendaRun& run, Program& p) {
  StartupHost host;
  host.screen_reader_answers = [](int rounds) { return TestScreenReader(rounds, false) != 0; };
  host.start_voice = [] { SapiInit(1, 1, 0); };
  host.wait = [](std::chrono::milliseconds duration) {
    WaitWithEvents(static_cast<int>(duration.count()), 30, false);
  };
  host.stop_alarm_sounds = [&p] { StopAlarmSounds(p.players); };
  host.timed_message = [](std::string_view chain) { AskUser(chain); };
  host.show_report = ShowManagementReport;
  host.donation_reminder = [&run, &p] {
    DonationReminder(run.user_folders.application_data, p.prompts);
  };
  host.receive_network_plannings = [&run, &p] {
    ExchangeWindows exchange = exchange_of(run, p);
    RelayCommandFiles(window_exchange_context(exchange), true);
    ReceiveNetworkPlannings(exchange, true);
  };
  host.import_exchange_file = [&p](AgendaRun& import_run, const fs::path& file) {
    ExchangeWindows exchange = exchange_of(import_run, p);
    ImportExchangeFile(exchange, file);
  };
  host.chime_catalogue = [&run, &p](int mode) {
    return FetchChimeCatalogue(
               mode, run.program_folder, {p.network, p.server}, p.prompts,
               [&] { ChimeOptionsOf(run, ChimeTab::download, p.network, p.server, p.prompts); })
        .has_value();
  };
  host.open_management_settings = [&run] {
    ManagementSettingsDialog(run.settings, run.program_folder, run.writable == 1);
  };
  host.check_for_update = [&p](AgendaRun& checking) {
    CheckForUpdateOf(checking, checking.settings.update_check, 1, p.network, p.server, p.prompts);
  };
  host.open_calendar = [&p](AgendaRun& calendar_run) {
    CalendarContext context{calendar_run, interface_clock(), p.prompts,
                            p.players,    p.network,         p.server};
    return ShowCalendar(context);
  };
  p.realtime.receive_network_plannings = [&run, &p] {
    ExchangeWindows exchange = exchange_of(run, p);
    return ReceiveNetworkPlanningsAtMinute(p.minute_receive, exchange);
  };
  host.run_realtime_agenda = [&p](AgendaRun& agenda_run, const CommandLine& given) {
    return RunRealtimeAgenda(p.realtime, agenda_run, given);
  };
  host.sleep_mode = [](const AgendaRun& agenda_run) {
    SleepBeforeAgenda(agenda_run.program_folder);
  };
  return host;
}

}  // namespace

void DonationReminder(const fs::path& application_data, Prompts& prompts) {
  prompts.notice(
      "Tavelo\rMerci d'utiliser Tavelo. Si l'agenda vous rend service, vous pouvez soutenir "
      "son développement depuis le calendrier : menu aide, faire un don.");
  std::error_code error;
  fs::remove(application_data / kDonationReminderFile, error);
}

UpdateOutcome CheckForUpdateOf(AgendaRun& run, int mode, int quiet, Network& network,
                               const std::optional<std::string>& server, Prompts& prompts) {
  const bool held_lock = run.lock.has_value();
  UpdateRun update{
      run.program_folder,
      run.user_folders.application_data,
      run.writable == 1,
      run.settings.realtime_running != 0,
      run.arguments,
      network,
      server,
      prompts,
      [&run] { return run.lock.has_value(); },
      [&run] { run.lock.reset(); },
      [&run, &prompts] { DonationReminder(run.user_folders.application_data, prompts); }};
  const UpdateOutcome outcome = RunUpdateCheck(mode, quiet, update);
  run.update_status = outcome.status;
  // A check that ended without an update gives the lock back to the agenda that held it.
  if (!outcome.program_to_start && held_lock && !run.lock) {
    run.lock = LockFile::take(run.program_folder / kInstanceLock);
  }
  return outcome;
}

bool ChimeOptionsOf(AgendaRun& run, ChimeTab first, Network& network,
                    const std::optional<std::string>& server, Prompts& prompts) {
  ChimeOptionsContext context{
      run.program_folder, run.user_folders.profile, run.settings, interface_clock(), prompts,
      {network, server}};
  return ChimeOptions(context, first);
}

int RunAgendaProgram(const fs::path& program_folder, const std::vector<std::string>& arguments,
                     Network& network) {
  LoadSpeechLibraries();
  LoadDialogLibrary(program_folder);
  Program program(program_folder, network);
  AgendaRun run;
  run.program_folder = program_folder;
  run.user_folders = user_folders();
  run.command_line = parse_command_line(arguments);
  run.arguments = arguments;
  const StartupHost host = host_of(run, program);
  Startup startup{run, interface_clock(), program.prompts, host};
  try {
    return RunAgenda(startup);
  } catch (const ProgramEnd& end) {
    return end.code;
  }
}

}  // namespace tavelo
