#include "exchange/sharing_form.hpp"

#include <algorithm>
#include <fstream>

#include "planning/chain.hpp"
#include "planning/planning_file.hpp"
#include "planning/planning_names.hpp"
#include "planning/text.hpp"
#include "platform/files.hpp"

namespace tavelo {

SharingForm load_sharing_form(const Settings& settings) {
  SharingForm form{settings.own_identifier, settings.import_allowed != 0,
                   settings.export_allowed != 0, settings.sharing_table};
  for (SharingRow& row : form.table) complete_sharing_row(row);
  return form;
}

std::optional<std::string> sharing_form_problem(const SharingForm& form) {
  if (form.own_identifier.find('_') == std::string::npos) return std::nullopt;
  return "Votre identifiant ne doit pas contenir le caractère _.";
}

void store_sharing_form(const SharingForm& form, Settings& settings) {
  settings.sharing_table = form.table;
  store_sharing_permissions(settings, form.own_identifier, form.import_allowed,
                            form.export_allowed);
}

std::vector<std::string> table_identifiers(const SharingForm& form) {
  std::vector<std::string> identifiers;
  for (const SharingRow& row : form.table) identifiers.push_back(row.columns[kIdentifierColumn]);
  return identifiers;
}

std::string normalised_identifier(std::string_view typed) {
  std::string visible;
  for (const char c : typed) {
    // A TAB or a line break would split the sharing identifiers of a planning.
    if (static_cast<unsigned char>(c) >= 32) visible += c;
  }
  std::vector<std::string> members;
  for (const std::string& member : pieces_between(visible, ';')) {
    const std::string_view trimmed = trim_spaces(member);
    if (!trimmed.empty()) members.emplace_back(trimmed);
  }
  return joined(members, ";");
}

std::optional<std::string> identifier_problem(std::string_view identifier) {
  if (identifier.empty()) return "Veuillez indiquer l'identifiant à enregistrer.";
  if (identifier.find('_') != std::string_view::npos) {
    return "L'identifiant ne doit pas contenir le caractère _.";
  }
  return std::nullopt;
}

namespace {

std::optional<std::size_t> row_of(const SharingForm& form, std::string_view identifier) {
  for (std::size_t i = 0; i < form.table.size(); ++i) {
    if (form.table[i].columns[kIdentifierColumn] == identifier) return i;
  }
  return std::nullopt;
}

bool write_probe(const fs::path& probe) {
  std::ofstream out(probe, std::ios::binary | std::ios::trunc);
  out << "tst";
  out.close();
  return !out.fail();
}

bool remove_probe(const fs::path& probe) {
  std::error_code error;
  return fs::remove(probe, error) && !error;
}

enum class FtpWriteFailure { kNone, kNoAnswer, kNoFolder, kNotWritable, kNotDeletable };

FtpWriteFailure check_ftp_writing(Network& network, const SharingRow& row, const fs::path& probe,
                                  NetworkDeadline deadline) {
  const RowFtp ftp = open_row_ftp(network, row, deadline);
  if (ftp.failure == FtpFailure::kNoAnswer) return FtpWriteFailure::kNoAnswer;
  if (ftp.failure == FtpFailure::kNoFolder) return FtpWriteFailure::kNoFolder;
  if (!ftp.session->upload(probe, kWriteProbe)) return FtpWriteFailure::kNotWritable;
  if (!ftp.session->remove(kWriteProbe)) return FtpWriteFailure::kNotDeletable;
  return FtpWriteFailure::kNone;
}

// These begin with a carriage return: their box has the default title.
std::string ftp_write_message(const SharingRow& row, FtpWriteFailure failure) {
  const std::string server = ftp_account_of(row).server;
  const std::string place = server + "/" + ftp_folder_of(row);
  switch (failure) {
    case FtpWriteFailure::kNoAnswer:
      return "\rLe site FTP ne répondt-pas...\r" + server;
    case FtpWriteFailure::kNoFolder:
      return "\rle sous-dossier FTP spécifié est introuvable...\r" + place;
    case FtpWriteFailure::kNotWritable:
      return "\rcet emplacement FTP ne permet-pas l'écriture...\r" + place;
    case FtpWriteFailure::kNotDeletable:
    case FtpWriteFailure::kNone:
      break;
  }
  return "\rla suppression est impossible sur ce site FTP...\r" + place;
}

bool ftp_to_check(const SharingRow& row) {
  return row.columns[kFtpActiveColumn] == "1" &&
         !trim_spaces(row.columns[kFtpServerColumn]).empty() &&
         !trim_spaces(row.columns[kFtpUserColumn]).empty();
}

// The FTP part of the write test; the local probe is left for the caller.
bool ftp_takes_the_probe(const ExchangeContext& context, const SharingRow& row,
                         const fs::path& probe) {
  if (!ftp_to_check(row)) return true;
  FtpWriteFailure failure = FtpWriteFailure::kNone;
  const NetworkDeadline deadline = context.network_deadline();
  context.wait_for_transfer(
      [&] { failure = check_ftp_writing(context.network, row, probe, deadline); });
  if (failure == FtpWriteFailure::kNone) return true;
  context.prompts.notice(ftp_write_message(row, failure));
  return false;
}

}  // namespace

bool save_sharing_row(const ExchangeContext& context, SharingForm& form, SharingRow row) {
  Prompts& prompts = context.prompts;
  std::string& identifier = row.columns[kIdentifierColumn];
  identifier = normalised_identifier(identifier);
  if (const auto problem = identifier_problem(identifier)) {
    prompts.notice(*problem);
    return false;
  }
  if (!shared_folder_reachable(context, row)) {
    prompts.notice("Le dossier est introuvable...");
    return false;
  }
  const auto known = row_of(form, identifier);
  if (known &&
      !prompts.question("souhaitez-vous réenregistrer l'identifiant, " + identifier + "?")) {
    return false;
  }
  const fs::path probe =
      shared_folder_path(context.program_folder, row.columns[kFolderColumn]) / kWriteProbe;
  if (!write_probe(probe)) {
    remove_probe(probe);
    prompts.notice("Cet emplacement ne permet pas l'écriture...");
    return false;
  }
  if (!ftp_takes_the_probe(context, row, probe)) {
    remove_probe(probe);
    return false;
  }
  if (!remove_probe(probe)) {
    prompts.notice("Cet emplacement ne permet pas la suppressin...");
    return false;
  }
  complete_sharing_row(row);
  if (known) {
    form.table[*known] = std::move(row);
  } else {
    form.table.push_back(std::move(row));
  }
  return true;
}

namespace {

std::vector<std::string> tab_entries(std::string_view identifiers) {
  return pieces_between(identifiers, '\t');
}

std::string tab_joined(const std::vector<std::string>& entries) {
  std::string identifiers;
  for (const std::string& entry : entries) identifiers += entry + "\t";
  return identifiers;
}

// The plannings of "rdv" shared with the identifier are deleted, or shared without it, as the
// user answers the first time one is met.
void forget_identifier_in_plannings(const ExchangeContext& context, const std::string& identifier) {
  const fs::path rdv = planning_folder(context.program_folder);
  std::optional<bool> delete_them;
  for (const std::string& name : list_plannings(rdv)) {
    int readerror = 0;
    Planning planning =
        loadplanning(rdv / name, context.program_folder, context.settings, readerror);
    std::vector<std::string> entries = tab_entries(planning.sharing_identifiers);
    if (std::erase(entries, identifier) == 0) continue;
    if (!delete_them) {
      delete_them = context.prompts.question("Supprimer les planifications qui y sont associées?");
    }
    if (*delete_them) {
      SendDeletion(context, rdv / name, planning);
      std::error_code error;
      fs::remove(rdv / name, error);
    } else {
      planning.sharing_identifiers = tab_joined(entries);
      saveplanning(rdv / name, planning, context.settings, context.clock, false);
    }
  }
}

}  // namespace

std::optional<std::size_t> delete_sharing_row(const ExchangeContext& context, SharingForm& form,
                                              std::size_t index) {
  if (index >= form.table.size()) return std::nullopt;
  const std::string identifier = form.table[index].columns[kIdentifierColumn];
  Prompts& prompts = context.prompts;
  if (!prompts.question("Supprimer " + identifier + "?")) return std::nullopt;
  if (identifier.find(';') != std::string::npos &&
      !prompts.question("supprimer tous les contactes de ce groupe?")) {
    return std::nullopt;
  }
  forget_identifier_in_plannings(context, identifier);
  form.table.erase(form.table.begin() + static_cast<std::ptrdiff_t>(index));
  if (form.table.empty()) return std::nullopt;
  return std::min(index, form.table.size() - 1);
}

void normalise_ftp_fields(SharingRow& row) {
  std::string_view server = trim_spaces(row.columns[kFtpServerColumn]);
  if (server.starts_with("ftp://")) server.remove_prefix(6);
  row.columns[kFtpServerColumn] = std::string(server);
  row.columns[kFtpFolderColumn] = ftp_folder_of(row);
}

bool ftp_fields_accepted(const ExchangeContext& context, const SharingRow& row) {
  if (row.columns[kFtpServerColumn].empty()) return true;
  FtpFailure failure = FtpFailure::kNone;
  const NetworkDeadline deadline = context.network_deadline();
  context.wait_for_transfer(
      [&] { failure = open_row_ftp(context.network, row, deadline).failure; });
  if (failure == FtpFailure::kNoAnswer) {
    return context.prompts.question(
        "Aucune réponse n'a été reçu du site FTP spécifié. Souaitez-vous quand-même le valider?");
  }
  if (failure == FtpFailure::kNoFolder) {
    context.prompts.notice("le sous-dossier spécifié est introuvable...");
    return false;
  }
  return true;
}

}  // namespace tavelo
