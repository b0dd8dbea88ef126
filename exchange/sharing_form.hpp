#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/sharing.hpp"

namespace tavelo {

// The shared-folders settings as their window edits them: a working copy, stored on OK.
struct SharingForm {
  std::string own_identifier;
  bool import_allowed = false;
  bool export_allowed = false;
  std::vector<SharingRow> table;  // each row completed as it is shown
};

SharingForm load_sharing_form(const Settings& settings);

// The problem that keeps the form from being stored, nothing when it can be.
std::optional<std::string> sharing_form_problem(const SharingForm& form);

// OK: the own identifier, the table and the permissions, both off while the identifier or the
// table is empty.
void store_sharing_form(const SharingForm& form, Settings& settings);

// The identifiers of the table, in its order.
std::vector<std::string> table_identifiers(const SharingForm& form);

// An identifier as the table keeps it: trimmed, and a group's members trimmed and joined by ";"
// without empty ones.
std::string normalised_identifier(std::string_view typed);

// Why an identifier cannot name a row: empty, or holding the "_" that splits command file names.
// Nothing when it can.
std::optional<std::string> identifier_problem(std::string_view identifier);

inline constexpr const char* kWriteProbe = "tst.txt";

// "&enregistrer": the row's identifier and folder are checked, a known identifier is saved again
// only when the user confirms it, the folder and, when its FTP is active and filled in, the FTP
// folder must take a file and let it go; then the row is stored, at the end or in place of the
// known one. Every failure is told, and then nothing is stored. True when the row was stored.
bool save_sharing_row(const ExchangeContext& context, SharingForm& form, SharingRow row);

// "s&upprimer": after its questions, the plannings shared with the identifier are deleted (their
// recipients told) or shared without it, and the row goes. Returns the row to select next
// (the one that took its place, or the last), nothing when the row stays or the table is empty.
std::optional<std::size_t> delete_sharing_row(const ExchangeContext& context, SharingForm& form,
                                              std::size_t index);

// The FTP window's fields as its OK takes them: the server without "ftp://", "/" between the
// sub-folder's levels.
void normalise_ftp_fields(SharingRow& row);

// The OK of the FTP window, after `normalise_ftp_fields`: a server that does not answer is kept
// only when the user says so; a sub-folder the server lacks is told. True when the fields may be
// taken; a row without a server needs no test.
bool ftp_fields_accepted(const ExchangeContext& context, const SharingRow& row);

}  // namespace tavelo
