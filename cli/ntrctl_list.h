// `ntrctl list`: the switches the tool knows, from its configuration file
// alone (no network, no privileges, no lock).
#pragma once

#include <filesystem>

namespace ntr::cli {

// Prints MAC, model, serial number and name of every block of the file;
// kExitOk, or kExitFailure when the file exists but cannot be read. A
// missing file is an empty list.
int ListKnownSwitches(const std::filesystem::path& configFile, bool json);

}  // namespace ntr::cli
