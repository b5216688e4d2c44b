// Which interfaces the tool offers as adapters: capture devices with a
// six-byte hardware address that are not loopback, in the capture library's
// order.
#pragma once

#include <string>
#include <vector>

#include "base/error.h"
#include "link/adapter_info.h"
#include "link/interface_table.h"

namespace ntr {

struct CaptureDevice {
  std::string name;
  std::string description;  // empty when the library gives none
};

// The usable adapters among `devices`, described with the facts of the
// interface of the same name. Devices without such an interface (the "any"
// device, netfilter, D-Bus, USB and Bluetooth monitors) are left out.
std::vector<AdapterInfo> UsableAdapters(const std::vector<CaptureDevice>& devices,
                                        const std::vector<InterfaceFacts>& interfaces);

// The address shown for an interface: the last IPv4 or global IPv6 unicast
// address in numeric form (link-local IPv6 left out), or kNoAddressText.
std::string AdapterAddressText(const InterfaceFacts& facts);

// Lists the usable adapters of the calling thread's network namespace.
// Fails with 45 (the library's text as detail) when the capture library
// cannot list its devices, 41 when it lists none, 46 when the interfaces
// cannot be read. An empty result is a success.
bool ListUsableAdapters(std::vector<AdapterInfo>& out, ErrorPair& error);

}  // namespace ntr
