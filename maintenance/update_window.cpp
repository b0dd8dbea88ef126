#include "maintenance/update_window.hpp"

#include "access/dialog.hpp"
#include "access/dialog_library.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"
#include "platform/process.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

constexpr int kProgress = 2;
// Between two files the window answers for this long, so that the Cancel button is heard.
constexpr int kAnswerMs = 20;

constexpr ControlSpec kProgressControls[] = {
    {ControlKind::label, 1, "progression:", 1, 2},
    {ControlKind::text_field, kProgress, "", 1, 16, 24, 2, kReadOnly},
};

// The progress window: one line per file, and Cancel.
class ProgressWindow final : public ProgressDisplay {
 public:
  void open(std::string_view title) override {
    cancelled_ = false;
    OpenDialog("", 0, 0, 5, 44, title);
    AddControls(kProgressControls);
    AddCancelButton(0, 0);
    FocusControl(kCancelButton);
    Speak("boîte de progression " + std::string(title) + ", bouton annuler.", 0);
  }

  bool advance(int position, int total) override {
    SetControlText(kProgress,
                   "fichier " + std::to_string(position) + " sur " + std::to_string(total));
    for (Input input = NextInput(kAnswerMs); !cancelled_ && !input.event.empty();
         input = NextInput(0)) {
      cancelled_ = input.event == "btncancel" || input.event == "winclose";
    }
    return !cancelled_;
  }

  void close() override { CloseDialog(); }

 private:
  bool cancelled_ = false;
};

class WindowHost final : public UpdateHost {
 public:
  explicit WindowHost(UpdateRun& run) : run_(run) {}

  void timed_message(std::string_view dialog_chain) override { AskUser(dialog_chain); }
  void close_dialog_window() override { CloseDialog(); }
  bool holds_instance_lock() override {
    return run_.holds_instance_lock && run_.holds_instance_lock();
  }
  void release_instance_lock() override {
    if (run_.release_instance_lock) run_.release_instance_lock();
  }
  void donation_reminder() override {
    if (run_.donation_reminder) run_.donation_reminder();
  }
  void open_page(std::string_view url) override { shell_service().open(url); }

 private:
  UpdateRun& run_;
};

}  // namespace

std::vector<std::string> updater_arguments(const std::vector<std::string>& program_arguments) {
  std::vector<std::string> arguments{std::to_string(current_process_id())};
  arguments.insert(arguments.end(), program_arguments.begin(), program_arguments.end());
  return arguments;
}

UpdateOutcome RunUpdateCheck(int mode, int quiet, UpdateRun& run) {
  WindowHost host(run);
  ProgressWindow progress;
  UpdateContext context{run.program_folder,
                        updater_arguments(run.arguments),
                        run.application_data,
                        run.program_folder_writable,
                        run.realtime_running,
                        run.network,
                        run.server,
                        run.prompts,
                        host,
                        progress};
  UpdateOutcome outcome = CheckForUpdate(mode, quiet, context);
  if (outcome.program_to_start &&
      !shell_service().start_program(*outcome.program_to_start, outcome.arguments)) {
    run.prompts.notice("impossible de démarrer " + outcome.program_to_start->string());
    outcome.program_to_start.reset();
  }
  return outcome;
}

}  // namespace tavelo
