#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "access/dialog_state.hpp"
#include "platform/window_system.hpp"

namespace tavelo {

// Opening a dialog window. Mode letters: "m" maximised, "w" text display with the caret guard on
// control 1000, "d" with an OK button (and the notice text when the mode is exactly "d").
// An empty title, zero geometry and empty mode letters re-open the previous window. With
// kHiddenWindow in the flags the window opens hidden.
inline constexpr int kHiddenWindow = 1;
void OpenDialog(std::string_view mode, int row, int column, int height, int width,
                std::string_view title, int flags = 0);
// Closes the current window; the next OpenDialog opens a new one.
void CloseDialog();
// Shows or hides the current window; a snapshot and a re-opening keep the choice. A hidden window
// still gets its timers, its pop-up menu's commands and the tray clicks.
void ShowDialogWindow(bool shown);
bool DialogWindowShown();

// The next event name of the current window (see the event table of the dialog layer).
std::string WaitDialogEvent(int timeout_ms);
std::string WaitWithEvents(int duration_ms, int poll_ms, bool sides);
std::string WaitSilenced(int duration_ms, int poll_ms, bool sides);

void SaveDialog(int slot);
void RestoreDialog(int slot);

// Creation helpers: rows and columns on the layout grid, 1-based.
void AddLabel(int number, std::string_view caption, int row, int column);
void AddTextField(int number, std::string_view text, int row, int column, int width, int flags = 0);
void AddButton(int number, std::string_view caption, int row, int column, int width, int height = 2,
               int flags = 0);
void AddCheckBox(int number, std::string_view caption, int row, int column, int width,
                 int height = 2, int flags = 0);
void AddOption(int number, std::string_view caption, bool first_of_group, int row, int column,
               int width, int height = 2);
void AddCombo(int number, int row, int column, int width, int height = 2, int flags = 0);
void AddList(int number, int row, int column, int width, int height, int flags = 0);
void AddMultiList(int number, int row, int column, int width, int height, int flags = 0);
void AddTree(int number, int row, int column, int width, int height, int flags = 0);
void AddEditor(int number, std::string_view text, int row, int column, int width, int height,
               int flags = 0);
void AddTabPanel(int number, int row, int column, int width, int height);
void AddItem(int number, std::string_view text, std::int64_t data = 0, int level = 0);
// Marks: the selected items of a list of several (kSeveral), the ticked items of a check list
// (kCheckList). MarkItem changes a mark without reporting it as the user's; the user's own
// changes are reported as "lst"+number. Other controls keep no marks.
bool ItemMarked(int number, int index);
void MarkItem(int number, int index, bool marked);
std::vector<int> MarkedItems(int number);
void ClearItems(int number);
void SetComboPageStep(int number, int step);
// A multi-column list shows that many cells a line, of one width: a calendar's seven days.
void SetGridColumns(int number, int columns);

void AddOkButton(int row, int column);
void AddCancelButton(int row, int column);
void SetOkCaption(std::string_view caption);
void SetCancelCaption(std::string_view caption);
// The captions stay for the windows that follow: a window that renames OK or Cancel keeps one of
// these while it is open, so that they are "ok" and "annuler" again when it is left.
struct UsualCaptionsAfter {
  UsualCaptionsAfter() = default;
  UsualCaptionsAfter(const UsualCaptionsAfter&) = delete;
  UsualCaptionsAfter& operator=(const UsualCaptionsAfter&) = delete;
  ~UsualCaptionsAfter();
};
// Registers Alt + the letter after the first "&" of the caption of button, check box or option
// `number` as its mnemonic; AddMnemonics does it for every control from 0 to `highest`.
void AddMnemonic(int number);
void AddMnemonics(int highest);
void SkipMnemonic(int number, bool skip);
void SelectAllText(int number);

// A key of the current window that gives "menu"+command (2013 OK, 2027 Cancel). SaveDialog
// keeps it with the window.
void AddShortcut(int shortcut, int command);

// The controls of the current window.
void FocusControl(int number);
int FocusedControl();  // -1 when no control has the focus
bool ControlExists(int number);
// Takes a control out of the window: its mnemonic, and its place in a snapshot, go with it.
void RemoveControl(int number);
std::string ControlText(int number);
void SetControlText(int number, std::string_view text);
void SetControlFlags(int number, int flags);
// The name a screen reader says, for a control that no label just before it names.
void NameControl(int number, std::string_view name);
// Selects `length` characters from character `start` (0-based) and puts the caret after them.
void SelectText(int number, int start, int length);
int ControlState(int number);
void SetControlState(int number, int state);

// Renames the current window; a snapshot keeps the new title.
void SetDialogTitle(std::string_view title);
// Forgets a pending Alt sequence, so that the next key name is read.
void ResetAltState();
void SetNoticeText(std::string_view text);
void SetAwaitedName(std::string_view name);
void SetDialogColours(std::uint32_t text, std::uint32_t background);

void StartDialogTimer(int id, int interval_ms, int repeat);
void StopDialogTimer(int id);

void ReleaseStuckKeys();
bool IsKeyDown(int key);
// how: 0 press, wait 50 ms, release, wait 10 ms; 1 press only; 2 release only.
void SimulateKey(int key, int how);

int GridX(int columns);
int GridY(int rows);

// Caret helpers: the caret of an editor, and the program's own caret in control 1000.
CaretPosition EditorCaret(int number);
void SetProgramCaret(int line, int column);

}  // namespace tavelo
