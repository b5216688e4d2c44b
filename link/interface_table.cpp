#include "link/interface_table.h"

#include <ifaddrs.h>
#include <linux/if.h>
#include <linux/if_packet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>
#include <span>

namespace ntr {
namespace {

InterfaceFacts& FactsFor(std::vector<InterfaceFacts>& table, const char* name) {
  const auto found =
      std::ranges::find_if(table, [&](const InterfaceFacts& facts) { return facts.name == name; });
  if (found != table.end()) return *found;
  InterfaceFacts& added = table.emplace_back();
  added.name = name;
  return added;
}

}  // namespace

bool ReadInterfaces(std::vector<InterfaceFacts>& out) {
  out.clear();
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_name == nullptr) continue;
    InterfaceFacts& facts = FactsFor(out, entry->ifa_name);
    facts.flags = entry->ifa_flags;
    if (entry->ifa_addr == nullptr) continue;
    switch (entry->ifa_addr->sa_family) {
      case AF_PACKET: {
        sockaddr_ll link{};
        std::memcpy(&link, entry->ifa_addr, sizeof link);
        facts.index = link.sll_ifindex;
        facts.hardwareType = link.sll_hatype;
        const std::span<const unsigned char> bytes(link.sll_addr);
        const auto stored = bytes.first(std::min<std::size_t>(link.sll_halen, bytes.size()));
        facts.hardwareAddress.assign(stored.begin(), stored.end());
        break;
      }
      case AF_INET:
      case AF_INET6: {
        sockaddr_storage address{};
        const std::size_t size =
            entry->ifa_addr->sa_family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
        std::memcpy(&address, entry->ifa_addr, size);
        facts.addresses.push_back(address);
        break;
      }
      default:
        break;
    }
  }
  freeifaddrs(list);
  return true;
}

int OperationalStatus(unsigned flags) {
  // The kernel sets IFF_RUNNING exactly when the operational state is up (or
  // unknown, for drivers that do not report one and are working).
  if ((flags & IFF_RUNNING) != 0) return kOperStatusUp;
  if ((flags & IFF_UP) == 0) return 2;
  if ((flags & IFF_DORMANT) != 0) return 5;
  if ((flags & IFF_LOWER_UP) == 0) return 7;
  return 2;
}

}  // namespace ntr
