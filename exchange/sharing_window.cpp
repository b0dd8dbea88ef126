#include "exchange/sharing_window.hpp"

#include "access/dialog.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"
#include "exchange/sharing_form.hpp"
#include "platform/services.hpp"

namespace tavelo {

namespace {

constexpr std::string_view kSharingNotice =
    "Veuillez spécifier les dossiers dans lesquels partager vos planifications. \rBien qu'il "
    "soit possible de partager des dossiers liés à internet, comme ceux faisant partie de "
    "dropbox, il faudra reconcidérer le réajustement des heures selon les fuseaux horaire.";

constexpr int kOwnIdentifier = 2, kIdentifiers = 4, kFolder = 6, kBrowse = 7, kSave = 8,
              kDelete = 9, kHelp = 10, kImportAllowed = 11, kExportAllowed = 12, kFtpButton = 13,
              kFtpActive = 14, kNotice = 16;

constexpr ControlSpec kSharingControls[] = {
    {ControlKind::check_box, kImportAllowed, "autoriser l'importation des dossiers partagés", 1, 2,
     52},
    {ControlKind::check_box, kExportAllowed, "autoriser l'exportation vers les dossiers partagés",
     3, 2, 52},
    {ControlKind::label, 1, "votre identifiant:", 5, 2},
    {ControlKind::text_field, kOwnIdentifier, "", 5, 26, 30},
    {ControlKind::label, 3, "identifiants reconnus:", 8, 2},
    {ControlKind::combo_box, kIdentifiers, "", 8, 26, 30, 2, kEditable},
    {ControlKind::label, 5, "dossier:", 11, 2},
    {ControlKind::text_field, kFolder, "", 11, 12, 44},
    {ControlKind::button, kBrowse, "parcourir", 11, 58, 12},
    {ControlKind::button, kFtpButton, "&dossier FTP", 14, 2, 16},
    {ControlKind::check_box, kFtpActive, "activer &FTP", 14, 20, 18},
    {ControlKind::button, kSave, "&enregistrer", 17, 2, 16},
    {ControlKind::button, kDelete, "s&upprimer", 17, 20, 16},
    {ControlKind::button, kHelp, "Aide-F1", 17, 38, 12},
    // The notice is a text of its own, named by a label, so that a screen reader can read it
    // again.
    {ControlKind::label, kNotice - 1, "à noter:", 20, 2},
    {ControlKind::editor, kNotice, kSharingNotice, 21, 2, 68, 4, kReadOnly},
};

// Each field follows the label that names it.
constexpr int kFtpServer = 22, kFtpUser = 24, kFtpPassword = 26, kFtpFolder = 28, kFtpPort = 30,
              kFtpPassive = 31, kFtpHelp = 32;

constexpr ControlSpec kFtpControls[] = {
    {ControlKind::label, kFtpServer - 1, "ftp://", 1, 2},
    {ControlKind::text_field, kFtpServer, "", 1, 18, 30},
    {ControlKind::label, kFtpUser - 1, "pseudo", 3, 2},
    {ControlKind::text_field, kFtpUser, "", 3, 18, 30},
    {ControlKind::label, kFtpPassword - 1, "passe", 5, 2},
    {ControlKind::text_field, kFtpPassword, "", 5, 18, 30, 2, kPassword},
    {ControlKind::label, kFtpFolder - 1, "sous-dossier", 7, 2},
    {ControlKind::text_field, kFtpFolder, "", 7, 18, 30},
    {ControlKind::label, kFtpPort - 1, "port:", 9, 2},
    {ControlKind::text_field, kFtpPort, "", 9, 18, 8, 2, kDigitsOnly},
    {ControlKind::check_box, kFtpPassive, "mode passif", 11, 2, 20},
    {ControlKind::button, kFtpHelp, "aide-f1", 11, 36, 12},
};

// ---- the FTP window ----

// "1" or "0" as a check box is ticked. Built from a character: GCC 12 at -O3 warns of an overlap
// that cannot happen when a text literal is assigned to a column.
std::string ticked_column(int check_box) {
  return std::string(1, ControlState(check_box) != 0 ? '1' : '0');
}

void show_ftp_fields(const SharingRow& row) {
  SetControlText(kFtpServer, row.columns[kFtpServerColumn]);
  SetControlText(kFtpUser, row.columns[kFtpUserColumn]);
  SetControlText(kFtpPassword, row.columns[kFtpPasswordColumn]);
  SetControlText(kFtpFolder, row.columns[kFtpFolderColumn]);
  SetControlText(kFtpPort, row.columns[kFtpPortColumn]);
  SetControlState(kFtpPassive, row.columns[kFtpPassiveColumn] == "1" ? 1 : 0);
}

SharingRow typed_ftp_fields(SharingRow row) {
  row.columns[kFtpServerColumn] = ControlText(kFtpServer);
  row.columns[kFtpUserColumn] = ControlText(kFtpUser);
  row.columns[kFtpPasswordColumn] = ControlText(kFtpPassword);
  row.columns[kFtpFolderColumn] = ControlText(kFtpFolder);
  row.columns[kFtpPortColumn] = ControlText(kFtpPort);
  row.columns[kFtpPassiveColumn] = ticked_column(kFtpPassive);
  normalise_ftp_fields(row);
  return row;
}

// The FTP fields of the row in a window of their own, tested on OK; the row as accepted, or
// nothing when the user cancels.
std::optional<SharingRow> edit_ftp_fields(const ExchangeContext& context, const SharingRow& row) {
  OpenDialog("", 0, 0, 13, 50, "dossier FTP");
  AddControls(kFtpControls);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  show_ftp_fields(row);
  FocusControl(kFtpServer);
  for (;;) {
    const Input input = NextInput(-1);
    if (leaves(input)) return std::nullopt;
    if (asks_for_help(input, kFtpHelp)) shell_service().show_help("ftp.htm");
    if (input.event != "btnok") continue;
    SharingRow typed = typed_ftp_fields(row);
    show_ftp_fields(typed);
    if (ftp_fields_accepted(context, typed)) return typed;
  }
}

// ---- the shared-folders window ----

struct SharingWindow {
  ExchangeWindows& w;
  ExchangeContext context;
  SharingForm form;
  SharingRow shown;  // the row of the fields, with the FTP columns the FTP window gave
};

void fill_identifiers(const SharingForm& form) {
  ClearItems(kIdentifiers);
  for (const std::string& identifier : table_identifiers(form)) AddItem(kIdentifiers, identifier);
}

void show_row(SharingWindow& s, const SharingRow& row) {
  s.shown = row;
  SetControlText(kFolder, row.columns[kFolderColumn]);
  SetControlState(kFtpActive, row.columns[kFtpActiveColumn] == "1" ? 1 : 0);
}

void select_row(SharingWindow& s, std::optional<std::size_t> index) {
  fill_identifiers(s.form);
  if (!index) {
    SetControlText(kIdentifiers, "");
    SharingRow empty;
    complete_sharing_row(empty);
    show_row(s, empty);
    return;
  }
  SetControlState(kIdentifiers, static_cast<int>(*index));
  show_row(s, s.form.table[*index]);
}

SharingRow typed_row(const SharingWindow& s) {
  SharingRow row = s.shown;
  row.columns[kIdentifierColumn] = ControlText(kIdentifiers);
  row.columns[kFolderColumn] = ControlText(kFolder);
  row.columns[kFtpActiveColumn] = ticked_column(kFtpActive);
  return row;
}

std::optional<std::size_t> index_of(const SharingForm& form, std::string_view identifier) {
  const std::vector<std::string> identifiers = table_identifiers(form);
  for (std::size_t i = 0; i < identifiers.size(); ++i) {
    if (identifiers[i] == normalised_identifier(identifier)) return i;
  }
  return std::nullopt;
}

void browse(SharingWindow&) {
  if (const auto folder = window_system().folder_dialog("sélection du dossier à partager")) {
    SetControlText(kFolder, *folder);
  }
  FocusControl(kFolder);
}

void open_ftp_window(SharingWindow& s) {
  const SharingRow row = typed_row(s);
  SaveDialog(kSharingDialogSlot);
  const std::optional<SharingRow> edited = edit_ftp_fields(s.context, row);
  RestoreDialog(kSharingDialogSlot);
  if (edited) s.shown = *edited;
  FocusControl(kFtpButton);
}

void save_row(SharingWindow& s) {
  const SharingRow row = typed_row(s);
  if (!save_sharing_row(s.context, s.form, row)) return;
  select_row(s, index_of(s.form, row.columns[kIdentifierColumn]));
}

void delete_row(SharingWindow& s) {
  const auto index = index_of(s.form, ControlText(kIdentifiers));
  if (!index) return;
  select_row(s, delete_sharing_row(s.context, s.form, *index));
  FocusControl(kIdentifiers);
}

// OK: false while the form cannot be stored.
bool store(SharingWindow& s) {
  s.form.own_identifier = ControlText(kOwnIdentifier);
  s.form.import_allowed = ControlState(kImportAllowed) != 0;
  s.form.export_allowed = ControlState(kExportAllowed) != 0;
  if (const auto problem = sharing_form_problem(s.form)) {
    s.w.prompts.notice(*problem);
    FocusControl(kOwnIdentifier);
    return false;
  }
  store_sharing_form(s.form, s.w.settings);
  save_window_settings(s.w);
  return true;
}

void open_sharing_window(SharingWindow& s) {
  OpenDialog("", 0, 0, 25, 72, "dossiers partagés");
  AddControls(kSharingControls);
  AddOkButton(0, 0);
  AddCancelButton(0, 0);
  SetControlText(kOwnIdentifier, s.form.own_identifier);
  SetControlState(kImportAllowed, s.form.import_allowed ? 1 : 0);
  SetControlState(kExportAllowed, s.form.export_allowed ? 1 : 0);
  select_row(s, s.form.table.empty() ? std::nullopt : std::optional<std::size_t>(0));
  FocusControl(kImportAllowed);
  Speak(kSharingNotice, 0);
}

}  // namespace

bool OpenSharingSettings(ExchangeWindows& w) {
  SharingWindow s{w, window_exchange_context(w), load_sharing_form(w.settings), {}};
  open_sharing_window(s);
  for (;;) {
    const Input input = NextInput(-1);
    if (leaves(input)) return false;
    if (asks_for_help(input, kHelp)) shell_service().show_help("partage.htm");
    if (input.event == "btnok" && store(s)) return true;
    const int chosen = ControlState(kIdentifiers);
    if (input.event == "cmb" + std::to_string(kIdentifiers)) {
      if (chosen >= 0 && static_cast<std::size_t>(chosen) < s.form.table.size()) {
        show_row(s, s.form.table[static_cast<std::size_t>(chosen)]);
      }
    } else if (is_button(input, kBrowse)) {
      browse(s);
    } else if (is_button(input, kFtpButton)) {
      open_ftp_window(s);
    } else if (is_button(input, kSave)) {
      save_row(s);
    } else if (is_button(input, kDelete)) {
      delete_row(s);
    }
  }
}

}  // namespace tavelo
