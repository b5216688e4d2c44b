// The one folder in which the tool keeps its own files between runs.
#pragma once

#include <filesystem>
#include <string>

namespace ntr {

// $XDG_DATA_HOME/Kaldor/NTR_Application/ (XDG_DATA_HOME defaults to
// ~/.local/share, the home folder from HOME or else the password database),
// ending in '/', so that a file name can be appended directly. Empty when
// there is no home folder at all: the tool never falls back to a folder
// other users share. Built anew on every call; nothing is created.
std::filesystem::path DataFolder();

// Creates the data folder (every missing folder private, 0700) and checks
// that it is the user's own: false, with a sentence for the operator in
// `why` when given, when there is no home folder, when a folder cannot be
// made, when the data folder belongs to another user or other users can
// write to it, or when a folder on the way belongs to another user (root
// included: root never makes files in another user's home, as sudo -E would)
// or can be written by others without the sticky bit.
bool MakeDataFolder(std::string* why = nullptr);

}  // namespace ntr
