#include "link/adapter_list.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <linux/if.h>
#include <net/if_arp.h>

#include <cstring>

#include "link/adapter_chooser.h"

namespace ntr {
namespace {

sockaddr_storage Address(const char* text) {
  sockaddr_storage storage{};
  if (std::strchr(text, ':') != nullptr) {
    sockaddr_in6 v6{};
    v6.sin6_family = AF_INET6;
    EXPECT_EQ(inet_pton(AF_INET6, text, &v6.sin6_addr), 1) << text;
    std::memcpy(&storage, &v6, sizeof v6);
  } else {
    sockaddr_in v4{};
    v4.sin_family = AF_INET;
    EXPECT_EQ(inet_pton(AF_INET, text, &v4.sin_addr), 1) << text;
    std::memcpy(&storage, &v4, sizeof v4);
  }
  return storage;
}

InterfaceFacts Ethernet(const std::string& name, std::uint8_t last,
                        std::initializer_list<const char*> addresses = {}) {
  InterfaceFacts facts;
  facts.name = name;
  facts.flags = IFF_UP | IFF_BROADCAST | IFF_RUNNING;
  facts.hardwareType = ARPHRD_ETHER;
  facts.hardwareAddress = {0x00, 0x1A, 0x2B, 0xC3, 0xD4, last};
  for (const char* address : addresses) facts.addresses.push_back(Address(address));
  return facts;
}

TEST(AdapterList, ShowsTheLastIpv4OrGlobalIpv6Address) {
  EXPECT_EQ(AdapterAddressText(Ethernet("a", 1)), kNoAddressText);
  EXPECT_EQ(AdapterAddressText(Ethernet("a", 1, {"fe80::1"})), kNoAddressText);
  EXPECT_EQ(AdapterAddressText(Ethernet("a", 1, {"192.0.2.1", "198.51.100.7"})), "198.51.100.7");
  EXPECT_EQ(AdapterAddressText(Ethernet("a", 1, {"192.0.2.1", "2001:db8::5", "fe80::1"})),
            "2001:db8::5");
  EXPECT_EQ(AdapterAddressText(Ethernet("a", 1, {"2001:db8::5", "192.0.2.1"})), "192.0.2.1");
}

TEST(AdapterList, KeepsCaptureDevicesWithAnEthernetAddressInTheLibrarysOrder) {
  InterfaceFacts loopback;
  loopback.name = "lo";
  loopback.flags = IFF_UP | IFF_LOOPBACK | IFF_RUNNING;
  loopback.hardwareType = ARPHRD_LOOPBACK;
  loopback.hardwareAddress = {0, 0, 0, 0, 0, 0};
  InterfaceFacts tunnel = Ethernet("tun0", 9);
  tunnel.hardwareAddress.clear();  // no hardware address at all
  InterfaceFacts infiniband = Ethernet("ib0", 8);
  infiniband.hardwareType = ARPHRD_INFINIBAND;
  infiniband.hardwareAddress.assign(20, 0x42);  // not six bytes
  const std::vector<InterfaceFacts> interfaces{
      Ethernet("eth0", 1, {"192.0.2.1"}), loopback, tunnel, infiniband, Ethernet("eth1", 2),
      Ethernet("notcaptured", 3)};
  const std::vector<CaptureDevice> devices{{"any", "Pseudo-device"},
                                           {"eth1", "Second port"},
                                           {"lo", ""},
                                           {"nflog", "netfilter"},
                                           {"tun0", ""},
                                           {"ib0", ""},
                                           {"eth0", ""}};

  const std::vector<AdapterInfo> adapters = UsableAdapters(devices, interfaces);
  ASSERT_EQ(adapters.size(), 2u);
  EXPECT_EQ(adapters[0].name, "eth1");
  EXPECT_EQ(adapters[0].description, "Second port");
  EXPECT_EQ(adapters[0].addressText, kNoAddressText);
  EXPECT_EQ(adapters[0].macText, "00-1A-2B-C3-D4-02");
  EXPECT_EQ(adapters[0].mac, (MacAddress{0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0x02}));
  EXPECT_EQ(adapters[1].name, "eth0");
  EXPECT_EQ(adapters[1].description, "eth0");  // the library gave none
  EXPECT_EQ(adapters[1].addressText, "192.0.2.1");
}

TEST(AdapterList, OperationalStatusFollowsTheFlags) {
  EXPECT_EQ(OperationalStatus(IFF_UP | IFF_RUNNING | IFF_LOWER_UP), kOperStatusUp);
  EXPECT_EQ(OperationalStatus(0), 2);       // administratively down
  EXPECT_EQ(OperationalStatus(IFF_UP), 7);  // no carrier
  EXPECT_EQ(OperationalStatus(IFF_UP | IFF_LOWER_UP | IFF_DORMANT), 5);
}

TEST(AdapterChooser, HeadlessChoosesByNameOrTakesTheFirst) {
  std::vector<AdapterInfo> adapters(3);
  adapters[0].name = "veth0";
  adapters[1].name = "veth1";
  adapters[2].name = "veth2";
  EXPECT_EQ(HeadlessAdapterChooser().Choose(adapters), 0u);
  EXPECT_EQ(HeadlessAdapterChooser("veth2").Choose(adapters), 2u);
  EXPECT_EQ(HeadlessAdapterChooser("eth9").Choose(adapters), std::nullopt);
  EXPECT_EQ(HeadlessAdapterChooser().Choose({}), std::nullopt);
}

}  // namespace
}  // namespace ntr
