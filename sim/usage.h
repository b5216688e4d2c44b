// The --help text of ntr-switch-sim: options, the network description, the
// control commands, the request log and the firmware image format.
#pragma once

#include <string>

namespace ntr::sim {

std::string UsageText();

}  // namespace ntr::sim
