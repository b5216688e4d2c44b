#include "discovery/topology.h"

#include <gtest/gtest.h>

namespace ntr {
namespace {

const MacAddress kAdapter{0x00, 0x11, 0x22, 0x33, 0x44, 0x55};

MacAddress Mac(std::uint8_t n) { return MacAddress{0x02, 0x5C, 0x71, 0x00, 0x00, n}; }
MacAddress Host(std::uint8_t n) { return MacAddress{0x00, 0xAA, 0x00, 0x00, 0x00, n}; }

// Neighbour list of `ports` ports with the given entries (1-based port numbers).
std::vector<MacAddress> Ports(int ports, std::initializer_list<std::pair<int, MacAddress>> at) {
  std::vector<MacAddress> list(static_cast<std::size_t>(ports));
  for (const auto& [port, mac] : at) list[static_cast<std::size_t>(port - 1)] = mac;
  return list;
}

class TopologyTest : public ::testing::Test {
 protected:
  TopologyTest() : tree_([this](TopologyNode& node) { removed_.push_back(node.switchMac); }) {
    tree_.SetAdapterMac(kAdapter);
  }
  // What the discovery step does for a reply whose source and body agree.
  TopologyNode* Reply(const MacAddress& source, const std::vector<MacAddress>& neighbours) {
    tree_.RecordOnRoot(source);
    return tree_.FindOrInsert(source, neighbours);
  }

  Topology tree_;
  std::vector<MacAddress> removed_;
};

TEST_F(TopologyTest, ChainAndTreeAreBuiltFromNeighbourLists) {
  // A on the tool's port 1; B on A's port 3; C on B's port 2; a host on A.
  TopologyNode* a = Reply(Mac(1), Ports(8, {{1, kAdapter}, {3, Mac(2)}, {5, Host(1)}}));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->parent, nullptr);
  EXPECT_EQ(a->uplinkPort, 0);
  TopologyNode* b = Reply(Mac(2), Ports(24, {{1, Mac(1)}, {2, Mac(3)}}));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->parent, a);
  ASSERT_EQ(a->ports[2].size(), 1u);
  EXPECT_EQ(a->ports[2][0].child, b);
  TopologyNode* c = Reply(Mac(3), Ports(8, {{4, Mac(2)}}));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->parent, b);
  EXPECT_EQ(c->uplinkPort, 3);
  EXPECT_EQ(tree_.size(), 3u);
  EXPECT_EQ(tree_.Below(*a), (std::vector<TopologyNode*>{c, b}));  // deepest first

  // Asking again finds the same nodes.
  EXPECT_EQ(Reply(Mac(2), Ports(24, {{1, Mac(1)}, {2, Mac(3)}})), b);
}

TEST_F(TopologyTest, RepliesThatBreakTheRulesAreIgnored) {
  // The adapter on two ports.
  EXPECT_EQ(Reply(Mac(1), Ports(8, {{1, kAdapter}, {2, kAdapter}})), nullptr);
  // No uplink at all.
  EXPECT_EQ(Reply(Mac(1), Ports(8, {{2, Host(1)}})), nullptr);
  // A switch whose parent does not see it yet.
  ASSERT_NE(Reply(Mac(1), Ports(8, {{1, kAdapter}})), nullptr);
  EXPECT_EQ(Reply(Mac(2), Ports(8, {{1, Mac(1)}})), nullptr);
  // Uplinks to both the adapter and a known switch.
  EXPECT_EQ(Reply(Mac(3), Ports(8, {{1, kAdapter}, {2, Mac(1)}})), nullptr);
  // A known switch with another port count, or whose uplink names someone else.
  EXPECT_EQ(Reply(Mac(1), Ports(24, {{1, kAdapter}})), nullptr);
  EXPECT_EQ(Reply(Mac(1), Ports(8, {{1, Host(9)}})), nullptr);
  EXPECT_EQ(tree_.size(), 1u);
}

TEST_F(TopologyTest, AtMostEightNodes) {
  for (std::uint8_t n = 1; n <= 9; ++n) {
    TopologyNode* node = Reply(Mac(n), Ports(8, {{1, kAdapter}}));
    EXPECT_EQ(node != nullptr, n <= 8) << int(n);
  }
  EXPECT_EQ(tree_.size(), kMaxTopologyNodes);
}

TEST_F(TopologyTest, PortRuleRemovesSubtreesDeepestFirst) {
  Reply(Mac(1), Ports(8, {{1, kAdapter}, {2, Mac(2)}}));
  Reply(Mac(2), Ports(8, {{1, Mac(1)}, {5, Mac(3)}}));
  Reply(Mac(3), Ports(8, {{1, Mac(2)}}));
  ASSERT_EQ(tree_.size(), 3u);
  // A now reports nothing on port 2: B and C go, C first.
  ASSERT_NE(Reply(Mac(1), Ports(8, {{1, kAdapter}})), nullptr);
  EXPECT_EQ(removed_, (std::vector<MacAddress>{Mac(3), Mac(2)}));
  EXPECT_EQ(tree_.size(), 1u);

  // A MAC that moves to another port leaves its old one (with its subtree).
  removed_.clear();
  Reply(Mac(1), Ports(8, {{1, kAdapter}, {2, Mac(2)}}));
  Reply(Mac(2), Ports(8, {{1, Mac(1)}}));
  TopologyNode* a = Reply(Mac(1), Ports(8, {{1, kAdapter}, {4, Mac(2)}}));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(removed_, std::vector<MacAddress>{Mac(2)});
  EXPECT_TRUE(a->ports[1].empty());
  ASSERT_EQ(a->ports[3].size(), 1u);
  EXPECT_EQ(a->ports[3][0].child, nullptr);  // seen again as a MAC, not yet a node
}

TEST_F(TopologyTest, RemoveTakesTheEntryOutOfTheParent) {
  Reply(Mac(1), Ports(8, {{1, kAdapter}, {2, Mac(2)}}));
  TopologyNode* b = Reply(Mac(2), Ports(8, {{1, Mac(1)}}));
  tree_.Remove(*tree_.Find(Mac(1)));
  EXPECT_EQ(removed_, (std::vector<MacAddress>{Mac(2), Mac(1)}));
  EXPECT_EQ(tree_.size(), 0u);
  EXPECT_TRUE(tree_.rootPort().size() == 1 && tree_.rootPort()[0].child == nullptr);
  (void)b;
}

}  // namespace
}  // namespace ntr
