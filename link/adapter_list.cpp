#include "link/adapter_list.h"

#include <net/if.h>
#include <net/if_arp.h>
#include <netdb.h>
#include <netinet/in.h>
#include <pcap/pcap.h>

#include <algorithm>
#include <cstring>

namespace ntr {
namespace {

bool IsShownAddress(const sockaddr_storage& address) {
  if (address.ss_family == AF_INET) return true;
  if (address.ss_family != AF_INET6) return false;
  sockaddr_in6 v6{};
  std::memcpy(&v6, &address, sizeof v6);
  const in6_addr& a = v6.sin6_addr;
  return !IN6_IS_ADDR_LINKLOCAL(&a) && !IN6_IS_ADDR_LOOPBACK(&a) && !IN6_IS_ADDR_UNSPECIFIED(&a) &&
         !IN6_IS_ADDR_MULTICAST(&a);
}

bool NumericHost(const sockaddr_storage& address, std::string& text) {
  const socklen_t size = address.ss_family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
  char host[NI_MAXHOST];
  if (getnameinfo(reinterpret_cast<const sockaddr*>(&address), size, host, sizeof host, nullptr, 0,
                  NI_NUMERICHOST) != 0) {
    return false;
  }
  text = host;
  return true;
}

bool IsUsable(const InterfaceFacts& facts) {
  return facts.hardwareAddress.size() == sizeof(MacAddress) &&
         facts.hardwareType != ARPHRD_LOOPBACK && (facts.flags & IFF_LOOPBACK) == 0;
}

}  // namespace

std::string AdapterAddressText(const InterfaceFacts& facts) {
  std::string text = kNoAddressText;
  for (const sockaddr_storage& address : facts.addresses) {
    std::string numeric;
    if (IsShownAddress(address) && NumericHost(address, numeric)) text = numeric;
  }
  return text;
}

std::vector<AdapterInfo> UsableAdapters(const std::vector<CaptureDevice>& devices,
                                        const std::vector<InterfaceFacts>& interfaces) {
  std::vector<AdapterInfo> adapters;
  for (const CaptureDevice& device : devices) {
    const auto facts = std::ranges::find_if(
        interfaces, [&](const InterfaceFacts& f) { return f.name == device.name; });
    if (facts == interfaces.end() || !IsUsable(*facts)) continue;
    AdapterInfo adapter;
    adapter.name = device.name;
    adapter.description = device.description.empty() ? device.name : device.description;
    adapter.addressText = AdapterAddressText(*facts);
    for (std::size_t i = 0; i < adapter.mac.size(); ++i) adapter.mac[i] = facts->hardwareAddress[i];
    adapter.macText = FormatAdapterMac(adapter.mac);
    adapters.push_back(std::move(adapter));
  }
  return adapters;
}

bool ListUsableAdapters(std::vector<AdapterInfo>& out, ErrorPair& error) {
  out.clear();
  char errorText[PCAP_ERRBUF_SIZE] = "";
  pcap_if_t* list = nullptr;
  if (pcap_findalldevs(&list, errorText) != 0) return error.Fail(kErrDeviceSearch, errorText);
  std::vector<CaptureDevice> devices;
  for (const pcap_if_t* device = list; device != nullptr; device = device->next) {
    devices.push_back({device->name, device->description ? device->description : ""});
  }
  pcap_freealldevs(list);
  if (devices.empty()) return error.Fail(kErrNoNetwork);

  std::vector<InterfaceFacts> interfaces;
  if (!ReadInterfaces(interfaces)) return error.Fail(kErrAdapterSearch);
  out = UsableAdapters(devices, interfaces);
  return true;
}

}  // namespace ntr
