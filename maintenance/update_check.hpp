#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "planning/prompts.hpp"
#include "platform/network.hpp"

namespace tavelo {

// The labels of this program. Both are compared as texts with those of the server's index, so
// the release label writes its date year first.
inline constexpr const char* kVersionLabel = "version: 6.40";
inline constexpr const char* kReleaseLabel = "date: 2026-12-07";

inline constexpr const char* kIndexServerPath = "/agmajidx5.txt";
inline constexpr const char* kDownloadedIndex = "maj.txt";
inline constexpr const char* kInstalledIndex = "agmajidx.txt";
inline constexpr const char* kUpdateLock = "agendamajlock";
inline constexpr const char* kNewsPath = "/news.htm";
// Where the files of an update wait until the updater puts them into place once the program has
// ended: the files under "fichiers" by their local names, and the index of the installed files.
inline constexpr const char* kUpdateFolder = "maj";
inline constexpr const char* kUpdateFilesFolder = "fichiers";
inline constexpr const char* kProgressTitle = "Tavelo téléchargement";

// An index that keeps coming back cut short is given up after this many downloads.
inline constexpr int kIndexTries = 3;

inline constexpr const char* kUpdateUnreachable =
    "Avertissement|La mise à jour n'est pas accessible...|5";
inline constexpr const char* kUpToDateNotice =
    "Avertissement\rVotre version de l'agenda est à jour.";
inline constexpr const char* kUpToDateMessage =
    "Avertissement|Votre version de l'agenda est à jour.|5";
inline constexpr const char* kNewVersionQuestion =
    "Une nouvelle version de l'agenda est disponible. Voulez-vous la télécharger";
inline constexpr const char* kInstallerRetryQuestion =
    "La mise-à-jour n'a pas pu être téléchargée.\rVoulez-vous réessayer?";
inline constexpr const char* kInstalledNotice =
    "\rLa mise à jour a bien été installée. L'agenda va redémarrer.";

// The update status, kept by the process and shown by the tray tooltip.
enum UpdateStatus : int {
  kUpToDate = 0,
  kIndexNotObtained = 1,
  kNewerVersion = 2,
  kNotChecked = 3,
};

std::string update_tooltip(int status);

struct IndexRow {
  std::string server_path;
  std::string version;
  std::string local_name;
};

struct UpdateIndex {
  std::string version_label;
  std::string release_label;
  std::vector<IndexRow> rows;
};

// The index as the server writes it (Windows-1252, one value a line); nothing when the text
// ends before its last row or does not give a row count.
std::optional<UpdateIndex> parse_update_index(std::string_view bytes);

// The progress window of the downloads. It announces "boîte de progression " + title +
// ", bouton annuler." when it opens.
class ProgressDisplay {
 public:
  virtual ~ProgressDisplay() = default;
  virtual void open(std::string_view title) = 0;
  // False once the user has pressed its Cancel button.
  virtual bool advance(int position, int total) = 0;
  virtual void close() = 0;
};

// What the check asks of the rest of the program.
class UpdateHost {
 public:
  virtual ~UpdateHost() = default;
  virtual void timed_message(std::string_view dialog_chain) = 0;  // `AskUser`
  virtual void close_dialog_window() = 0;
  virtual bool holds_instance_lock() = 0;
  virtual void release_instance_lock() = 0;  // closes and deletes "agendalock"
  virtual void donation_reminder() = 0;
  virtual void open_page(std::string_view url) = 0;  // in the browser
};

struct UpdateContext {
  fs::path program_folder;
  std::vector<std::string> updater_arguments;  // what the updater needs to start the agenda again
  fs::path application_data_folder;  // where the installer goes
  bool program_folder_writable = true;
  bool realtime_running = false;
  Network& network;
  std::optional<std::string> server;  // the maker's web server; none: unreachable
  Prompts& prompts;
  UpdateHost& host;
  ProgressDisplay& progress;
};

struct UpdateOutcome {
  int status = kNotChecked;
  // Set when an update was downloaded: the caller starts this program with these arguments and
  // ends, so that the updater, or the installer, puts the new files into place.
  std::optional<fs::path> program_to_start;
  std::vector<std::string> arguments;
};

// `mode`: 1 no check, 2 ask before downloading (also a check asked by the user), 3 download
// without asking. `quiet` silences the timed message that says the version is up to date.
//
// The changed files are downloaded into the update folder, never straight over the installed
// ones: a file that did not arrive whole never reaches its place, and the Cancel button of the
// progress window, which stops after the file being downloaded, leaves the installed program as
// it was. A file that failed to download keeps its old version in the index written for the
// updater, so that the next check fetches it again.
UpdateOutcome CheckForUpdate(int mode, int quiet, UpdateContext& context);

// The index text of these labels and rows, as the server writes it.
std::string update_index_text(const UpdateIndex& index);

// What the updater does once the agenda has ended: every file of the update folder goes to its
// place in the program folder, through a temporary name beside it and a rename, keeping the
// permissions of the file it replaces; then the index of the installed files; then the update
// folder goes. Gives one French sentence per file that could not be put into place.
std::vector<std::string> install_update(const fs::path& program_folder);

}  // namespace tavelo
