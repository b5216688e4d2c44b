// `ntrctl diff`'s output and exit status, like diff(1): 0 the same, 1 they
// differ, 2 the switch could not be read.
#pragma once

#include <string>

#include "app/switch_service.h"

namespace ntr::cli {

// Prints a comparison of SwitchService::CompareWithSwitch (on standard
// output; a failure on standard error) and returns the exit status.
int PrintSettingsDiff(const ServiceResult& compared, const std::string& macText, bool json);

}  // namespace ntr::cli
