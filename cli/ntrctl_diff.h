// `ntrctl diff`'s output and exit status, like diff(1): 0 the same, 1 they
// differ, 2 the switch could not be read.
#pragma once

#include <string>

#include "app/switch_service.h"
#include "cli/ntrctl_options.h"

namespace ntr::cli {

// Prints a comparison of SwitchService::CompareWithSwitch or CompareWithFile
// (on standard output; a failure on standard error) and returns the exit
// status. `file`: the file compared instead of the tool's record, or "".
int PrintSettingsDiff(const ServiceResult& compared, const std::string& macText, bool json,
                      const std::string& file = "");

// `ntrctl diff`: the switch against the tool's record, or with --file
// against that file; the exit status.
int RunDiff(SwitchService& service, ManagedSwitch& sw, const Options& options);

}  // namespace ntr::cli
