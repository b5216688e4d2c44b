// The one folder in which the tool keeps its own files between runs.
#pragma once

#include <filesystem>
#include <string>

namespace ntr {

// $XDG_DATA_HOME/Kaldor/NTR_Application/ (XDG_DATA_HOME defaults to
// ~/.local/share), ending in '/', so that a file name can be appended
// directly. Built anew on every call; nothing is created.
std::filesystem::path DataFolder();

// Creates the data folder with every missing parent; false when it cannot,
// with the folder and the reason in `why` when given.
bool MakeDataFolder(std::string* why = nullptr);

}  // namespace ntr
