#include "shell/journal_window.hpp"

#include "access/dialog.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"
#include "access/window_prompts.hpp"
#include "platform/files.hpp"
#include "platform/services.hpp"
#include "shell/journal.hpp"

namespace tavelo {

namespace {

constexpr int kSections = 1, kDelete = 21, kDeleteAll = 22, kHelp = 23;

constexpr ControlSpec kJournalControls[] = {
    {ControlKind::list_box, kSections, "", 2, 2, 56, 12},
    {ControlKind::button, kDelete, "&supprimer", 15, 2, 14},
    {ControlKind::button, kDeleteAll, "&tout supprimer", 15, 18, 18},
    {ControlKind::button, kHelp, "aide-f1", 15, 38, 10},
};

constexpr const char* kAllDeleted = "Tavelo\rtout le journal a été supprimé";

struct JournalWindow {
  fs::path folder;
  std::vector<std::string> sections;
  WindowPrompts prompts;
};

fs::path section_file(const JournalWindow& w, int index) {
  return w.folder / path_of(w.sections[static_cast<std::size_t>(index)] + ".txt");
}

void fill(JournalWindow& w) {
  ClearItems(kSections);
  for (const std::string& section : w.sections) AddItem(kSections, section);
  SetControlState(kSections, 0);
  FocusControl(kSections);
}

// False when the window closes: the last section is gone.
bool delete_section(JournalWindow& w) {
  const int index = ControlState(kSections);
  if (index < 0) return true;
  if (!w.prompts.question("Voulez-vous supprimer la section: " +
                          w.sections[static_cast<std::size_t>(index)])) {
    return true;
  }
  std::error_code error;
  fs::remove(section_file(w, index), error);
  w.sections = journal_sections(w.folder);
  if (w.sections.empty()) {
    w.prompts.notice(kAllDeleted);
    return false;
  }
  fill(w);
  return true;
}

// False when the window closes: every section is gone.
bool delete_all(JournalWindow& w) {
  if (!w.prompts.question("Voulez-vous supprimer toutes les sections?")) {
    FocusControl(kSections);
    return true;
  }
  for (const std::string& file : list_files(w.folder, "*.txt")) {
    std::error_code error;
    fs::remove(w.folder / path_of(file), error);
  }
  w.prompts.notice(kAllDeleted);
  return false;
}

}  // namespace

void ShowJournal(const fs::path& program_folder, const Settings& settings) {
  JournalWindow w{journal_folder(program_folder, settings), {}, {}};
  w.sections = journal_sections(w.folder);
  if (w.sections.empty()) {
    w.prompts.notice("Tavelo\raucun journal à afficher.");
    return;
  }
  const UsualCaptionsAfter captions;
  OpenDialog("", 0, 0, 18, 60, "journal");
  AddControls(kJournalControls);
  NameControl(kSections, "sections du journal");
  SetOkCaption("afficher/éditer");
  SetCancelCaption("fermer");
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  fill(w);
  Speak("journal", 0);
  for (;;) {
    const Input input = NextInput(-1, true);
    const bool on_list = FocusedControl() == kSections;
    if (input.event == "btncancel" || input.event == "winclose") return;
    if (input.event == "btnok" && ControlState(kSections) >= 0) {
      shell_service().open(section_file(w, ControlState(kSections)).string());
    } else if (input.event == "btn21" || (input.key == "delete" && on_list)) {
      if (!delete_section(w)) return;
    } else if (input.event == "btn22") {
      if (!delete_all(w)) return;
    } else if (input.event == "btn23" || input.key == "f1") {
      shell_service().show_help("journal.htm");
    }
  }
}

}  // namespace tavelo
