// The tree of discovered switches, rooted at the tool's own adapter (which
// has one port). Each switch's reply names its neighbour port by port; the
// tree keeps at most 8 switches. Changed only on the main thread, under the
// owner's topology lock.
#pragma once

#include <functional>
#include <list>
#include <memory>
#include <vector>

#include "protocol/ether_address.h"

namespace ntr {

class ManagedSwitch;
struct TOPOLOGYNODE;

// One entry of a port: a MAC seen there, or a switch of the tree.
struct PortEntry {
  etherAddress mac{};
  TOPOLOGYNODE* child = nullptr;  // null for a seen MAC
};

struct TOPOLOGYNODE {
  etherAddress switchMac{};
  ManagedSwitch* switchObject = nullptr;  // absent until created
  int uplinkPort = -1;                    // the port whose neighbour is the parent
  TOPOLOGYNODE* parent = nullptr;         // null when the parent is the root
  int portCount = 0;
  std::vector<std::vector<PortEntry>> ports;
  bool applied = false;  // a reply has been applied to the switch object
};

inline constexpr std::size_t kMaxTopologyNodes = 8;

class Topology {
 public:
  // Called for every node leaving the tree, deepest first, before it goes.
  using RemoveHook = std::function<void(TOPOLOGYNODE&)>;

  explicit Topology(RemoveHook onRemove = {});
  ~Topology();
  Topology(const Topology&) = delete;
  Topology& operator=(const Topology&) = delete;

  void SetAdapterMac(const etherAddress& mac) { adapterMac_ = mac; }
  const etherAddress& adapterMac() const { return adapterMac_; }

  // Records a MAC on the root's port (the port rule on the root).
  void RecordOnRoot(const etherAddress& mac);

  // Finds the node of `source` or inserts it, following the tree rules for
  // its neighbour list; null when the reply breaks a rule.
  TOPOLOGYNODE* FindOrInsert(const etherAddress& source, const std::vector<etherAddress>& neighbours);

  TOPOLOGYNODE* Find(const etherAddress& mac);
  // Nodes in order of creation.
  const std::list<std::unique_ptr<TOPOLOGYNODE>>& nodes() const { return nodes_; }
  std::size_t size() const { return nodes_.size(); }
  const std::vector<PortEntry>& rootPort() const { return rootPort_; }
  bool OnRootPort(const TOPOLOGYNODE& node) const { return node.parent == nullptr; }

  // Every node below `node`, deepest first.
  std::vector<TOPOLOGYNODE*> Below(TOPOLOGYNODE& node) const;
  // Removes `node` with its subtree (the hook sees each, deepest first) and
  // takes its entry out of its parent's port.
  void Remove(TOPOLOGYNODE& node);

 private:
  void PortRule(TOPOLOGYNODE& node, int port, const etherAddress& mac);
  void RemoveEntry(std::vector<PortEntry>& entries, std::size_t index);
  void Destroy(TOPOLOGYNODE& node);

  RemoveHook onRemove_;
  etherAddress adapterMac_{};
  std::vector<PortEntry> rootPort_;
  std::list<std::unique_ptr<TOPOLOGYNODE>> nodes_;
};

}  // namespace ntr
