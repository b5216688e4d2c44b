// AdapterInfo: one network adapter that the tool can use for the management
// protocol.
#pragma once

#include <string>

#include "base/mac_address.h"

namespace ntr {

// Shown as the address of an adapter that has no usable IP address.
inline constexpr char kNoAddressText[] = "---.---.---.---";

struct AdapterInfo {
  std::string name;         // the capture device (interface) name, opened for capture
  std::string description;  // the capture library's description, or the name when it has none
  std::string addressText;  // numeric IP address, or kNoAddressText
  std::string macText;      // "%02X-%02X-%02X-%02X-%02X-%02X"
  MacAddress mac{};         // source address of every frame and message sent
};

}  // namespace ntr
