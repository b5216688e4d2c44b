// How a command names a switch: a MAC address ("02:5C:71:00:00:02",
// "02-5c-71-00-00-02" or "025C71000002") or a system name. Text made of hex
// digits and ':' or '-' separators that is no valid MAC address is a
// malformed MAC address, not a name.
#pragma once

#include <string>
#include <string_view>

#include "base/mac_address.h"
#include "catalogue/switch_record.h"

namespace ntr::cli {

struct SwitchArgument {
  enum class Kind { kMac, kName, kMalformedMac };
  Kind kind = Kind::kName;
  MacAddress mac{};  // kMac only
  std::string name;  // the text as given
};

SwitchArgument ParseSwitchArgument(std::string_view text);

// The system name a stored record goes by: the one it was given, or the
// default name (model and serial) the switch carries until it is given one.
std::string KnownName(const SwitchRecord& record);

}  // namespace ntr::cli
