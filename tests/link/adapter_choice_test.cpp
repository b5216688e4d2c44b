// Adapter enumeration and choice inside private namespaces.
#include <gtest/gtest.h>

#include "link/pcap_endpoint.h"
#include "tests/link/link_network.h"

namespace ntr::testing {
namespace {

// Records what it was offered and answers as told.
class RecordingChooser : public AdapterChooser {
 public:
  explicit RecordingChooser(std::optional<std::size_t> answer) : answer_(answer) {}
  std::optional<std::size_t> Choose(const std::vector<AdapterInfo>& adapters) override {
    offered.push_back(adapters);
    return answer_;
  }
  std::vector<std::vector<AdapterInfo>> offered;

 private:
  std::optional<std::size_t> answer_;
};

TEST(AdapterChoice, OnlyLoopbackMeansNoNetwork) {
  PrivateNetwork net;
  const std::string lonely = net.AddNamespace();
  ASSERT_FALSE(lonely.empty()) << net.error();
  ASSERT_TRUE(net.Ip(lonely, {"link", "set", "lo", "up"})) << net.error();
  NamespaceScope inside(lonely);
  ASSERT_TRUE(inside.ok());

  PcapEndpoint device;
  EXPECT_TRUE(device.EnumerateAdapters());
  EXPECT_TRUE(device.adapters().empty());
  RecordingChooser chooser(0);
  EXPECT_FALSE(device.ChooseAdapter(chooser));
  EXPECT_EQ(device.error().code, kErrNoNetwork);
  EXPECT_TRUE(chooser.offered.empty());
  EXPECT_EQ(device.selectedIndex(), -1);
}

using AdapterChoiceOnVeth = LinkNetworkTest;

TEST_F(AdapterChoiceOnVeth, TheOnlyAdapterIsTakenWithoutAsking) {
  RecordingChooser chooser(std::nullopt);  // would cancel if asked
  ASSERT_TRUE(device_.ChooseAdapter(chooser)) << FormatErrorMessage(device_.error());
  EXPECT_TRUE(chooser.offered.empty());
  EXPECT_EQ(device_.selectedIndex(), 0);
  const auto adapters = device_.adapters();
  ASSERT_EQ(adapters.size(), 1u);
  const AdapterInfo& adapter = adapters[0];
  EXPECT_EQ(adapter.name, link_.nameA);
  // Only an automatic link-local IPv6 address: nothing to show.
  EXPECT_EQ(adapter.addressText, kNoAddressText);
  EXPECT_EQ(adapter.macText, FormatAdapterMac(adapter.mac));
  ASSERT_TRUE(device_.openedAdapter());
  EXPECT_EQ(device_.openedAdapter()->name, link_.nameA);
}

class AdapterChoiceAmongSeveral : public LinkNetworkTest {
 protected:
  void SetUp() override {
    LinkNetworkTest::SetUp();
    ASSERT_TRUE(net_.AddVeth(toolNs_, peerNs_, second_)) << net_.error();
    // Addresses only label the adapters; nothing is ever sent to them.
    ASSERT_TRUE(net_.Ip(toolNs_, {"address", "add", "192.0.2.10/24", "dev", second_.nameA}));
    ASSERT_TRUE(net_.Ip(toolNs_, {"address", "add", "198.51.100.10/24", "dev", second_.nameA}));
    ASSERT_TRUE(
        net_.Ip(toolNs_, {"address", "add", "2001:db8::10/64", "dev", link_.nameA, "nodad"}));
    ASSERT_TRUE(net_.Ip(toolNs_, {"address", "add", "192.0.2.20/24", "dev", link_.nameA}));
  }
  const AdapterInfo* Find(const std::vector<AdapterInfo>& list, const std::string& name) {
    for (const AdapterInfo& adapter : list) {
      if (adapter.name == name) return &adapter;
    }
    return nullptr;
  }
  PrivateNetwork::Veth second_;
};

TEST_F(AdapterChoiceAmongSeveral, TheChooserDecidesAndShowsTheLastAddress) {
  RecordingChooser chooser(1);
  ASSERT_TRUE(device_.ChooseAdapter(chooser)) << FormatErrorMessage(device_.error());
  ASSERT_EQ(chooser.offered.size(), 1u);
  const auto& offered = chooser.offered[0];
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(device_.selectedIndex(), 1);
  EXPECT_EQ(device_.openedAdapter()->name, offered[1].name);

  const AdapterInfo* first = Find(offered, link_.nameA);
  const AdapterInfo* second = Find(offered, second_.nameA);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(second->addressText, "198.51.100.10");
  // Global IPv6 is listed after IPv4; the link-local one is left out.
  EXPECT_EQ(first->addressText, "2001:db8::10");
}

TEST_F(AdapterChoiceAmongSeveral, CancellingLeavesNothingSelectedOrOpen) {
  RecordingChooser chooser(std::nullopt);
  EXPECT_FALSE(device_.ChooseAdapter(chooser));
  EXPECT_EQ(device_.error().code, kErrDeviceChoiceCancelled);
  EXPECT_EQ(device_.selectedIndex(), -1);
  EXPECT_FALSE(device_.StartCapture());
  EXPECT_EQ(device_.error().code, kErrDeviceNotOpen);

  RecordingChooser outOfRange(7);
  EXPECT_FALSE(device_.ChooseAdapter(outOfRange));
  EXPECT_EQ(device_.error().code, kErrDeviceChoiceCancelled);
}

}  // namespace
}  // namespace ntr::testing
