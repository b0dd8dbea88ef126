#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace tavelo {

// The dialog library's file in the program folder.
inline constexpr const char* kDialogLibraryFile = "libparlon.so";

// Loads the dialog library from the program folder and looks up its two exports. A library that
// is missing, or lacks an export, is reported only when a dialog needs it.
bool LoadDialogLibrary(const std::filesystem::path& program_folder);
bool DialogLibraryLoaded();

// The advanced message dialog: a chain "title|text|seconds|caption|…[|default]" and a sound file
// ("" for the system's sound). Returns the pressed button's number, 0 without buttons. A
// malformed chain is a programming fault.
int AskUser(std::string_view chain, std::string_view sound_file = {});
// The numbers of the check boxes checked when the last AskUser closed, separated by spaces.
const std::string& AskUserCheckBoxes();

// The find box's answer (fields separated by "ÿ"; empty when cancelled).
std::string FindBoxAnswer(bool find_only);

// Hears every AskUser with the button pressed: a scripted session writes it to its transcript.
// An empty function hears nothing. The recorder is part of the interface context, which
// reset_interface() forgets.
using AskRecorder = std::function<void(std::string_view chain, int pressed)>;
void record_asks_in(AskRecorder recorder);

}  // namespace tavelo
