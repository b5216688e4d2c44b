// The tree of discovered switches, rooted at the tool's own adapter (which
// has one port). Each switch's reply names its neighbour port by port; the
// tree keeps at most 8 switches. Changed only on the main thread, under the
// owner's topology lock.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <vector>

#include "base/mac_address.h"

namespace ntr {

class ManagedSwitch;
struct TopologyNode;

// One entry of a port: a MAC seen there, or a switch of the tree.
struct PortEntry {
  MacAddress mac{};
  TopologyNode* child = nullptr;  // null for a seen MAC
  std::uint32_t seenCycle = 0;    // the tree's cycle in which a reply last named it
};

struct TopologyNode {
  MacAddress switchMac{};
  ManagedSwitch* managed = nullptr;  // absent until created
  int uplinkPort = -1;               // the port whose neighbour is the parent
  TopologyNode* parent = nullptr;    // null when the parent is the root
  int portCount = 0;
  std::vector<std::vector<PortEntry>> ports;
  bool applied = false;  // a reply has been applied to the switch object
};

inline constexpr std::size_t kMaxTopologyNodes = 8;
// Seen MACs (not switches of the tree) a port keeps: a reply names one
// neighbour per port, and the root's port hears every switch that answers;
// beyond these the MAC seen longest ago makes room. A seen MAC that no reply
// named for kForgetSeenCycles cycles is forgotten.
inline constexpr std::size_t kMaxSeenOnRootPort = 64;
inline constexpr std::size_t kMaxSeenOnSwitchPort = 4;
inline constexpr std::uint32_t kForgetSeenCycles = 4;

class Topology {
 public:
  // Called for every node leaving the tree, deepest first, before it goes.
  using RemoveHook = std::function<void(TopologyNode&)>;

  explicit Topology(RemoveHook onRemove = {});
  ~Topology();
  Topology(const Topology&) = delete;
  Topology& operator=(const Topology&) = delete;

  void SetAdapterMac(const MacAddress& mac) { adapterMac_ = mac; }
  const MacAddress& adapterMac() const { return adapterMac_; }

  // Records a MAC on the root's port (the port rule on the root).
  void RecordOnRoot(const MacAddress& mac);
  // A discovery cycle ended: seen MACs that no reply named for
  // kForgetSeenCycles cycles are forgotten (switches of the tree stay).
  void EndCycle();
  std::uint32_t cycle() const { return cycle_; }

  // Finds the node of `source` or inserts it, following the tree rules for
  // its neighbour list; null when the reply breaks a rule.
  TopologyNode* FindOrInsert(const MacAddress& source, const std::vector<MacAddress>& neighbours);

  TopologyNode* Find(const MacAddress& mac);
  // Nodes in order of creation.
  const std::list<std::unique_ptr<TopologyNode>>& nodes() const { return nodes_; }
  std::size_t size() const { return nodes_.size(); }
  const std::vector<PortEntry>& rootPort() const { return rootPort_; }
  bool OnRootPort(const TopologyNode& node) const { return node.parent == nullptr; }

  // Every node below `node`, deepest first.
  std::vector<TopologyNode*> Below(TopologyNode& node) const;
  // Removes `node` with its subtree (the hook sees each, deepest first) and
  // takes its entry out of its parent's port.
  void Remove(TopologyNode& node);

 private:
  void PortRule(TopologyNode& node, int port, const MacAddress& mac);
  // Appends a seen MAC to `entries`, making room first when `limit` are there.
  void AddSeen(std::vector<PortEntry>& entries, const MacAddress& mac, std::size_t limit);
  void ForgetOld(std::vector<PortEntry>& entries);
  void RemoveEntry(std::vector<PortEntry>& entries, std::size_t index);
  void Destroy(TopologyNode& node);

  RemoveHook onRemove_;
  MacAddress adapterMac_{};
  std::vector<PortEntry> rootPort_;
  std::list<std::unique_ptr<TopologyNode>> nodes_;
  std::uint32_t cycle_ = 0;
};

}  // namespace ntr
