#include "discovery/topology.h"

#include <algorithm>

namespace ntr {
namespace {

bool IsZero(const MacAddress& mac) { return mac == MacAddress{}; }

}  // namespace

Topology::Topology(RemoveHook onRemove) : onRemove_(std::move(onRemove)) {}

Topology::~Topology() = default;

void Topology::RecordOnRoot(const MacAddress& mac) {
  if (IsZero(mac)) return;
  for (auto& entry : rootPort_) {
    if (entry.mac == mac) {
      entry.seenCycle = cycle_;
      return;
    }
  }
  AddSeen(rootPort_, mac, kMaxSeenOnRootPort);
}

void Topology::AddSeen(std::vector<PortEntry>& entries, const MacAddress& mac, std::size_t limit) {
  std::size_t seen = 0;
  auto oldest = entries.end();
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    if (it->child != nullptr) continue;
    ++seen;
    if (oldest == entries.end() || cycle_ - it->seenCycle > cycle_ - oldest->seenCycle) oldest = it;
  }
  if (seen >= limit && oldest != entries.end()) entries.erase(oldest);
  entries.push_back(PortEntry{mac, nullptr, cycle_});
}

void Topology::ForgetOld(std::vector<PortEntry>& entries) {
  std::erase_if(entries, [&](const PortEntry& entry) {
    return entry.child == nullptr && cycle_ - entry.seenCycle >= kForgetSeenCycles;
  });
}

void Topology::EndCycle() {
  ++cycle_;
  ForgetOld(rootPort_);
  for (auto& node : nodes_) {
    for (auto& port : node->ports) ForgetOld(port);
  }
}

TopologyNode* Topology::Find(const MacAddress& mac) {
  for (auto& node : nodes_) {
    if (node->switchMac == mac) return node.get();
  }
  return nullptr;
}

std::vector<TopologyNode*> Topology::Below(TopologyNode& node) const {
  std::vector<TopologyNode*> below;
  for (auto& port : node.ports) {
    for (auto& entry : port) {
      if (entry.child == nullptr) continue;
      auto deeper = Below(*entry.child);
      below.insert(below.end(), deeper.begin(), deeper.end());
      below.push_back(entry.child);
    }
  }
  return below;
}

void Topology::Destroy(TopologyNode& node) {
  if (onRemove_) onRemove_(node);
  nodes_.remove_if([&](const auto& owned) { return owned.get() == &node; });
}

void Topology::RemoveEntry(std::vector<PortEntry>& entries, std::size_t index) {
  TopologyNode* child = entries[index].child;
  entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
  if (child == nullptr) return;
  for (TopologyNode* below : Below(*child)) Destroy(*below);
  Destroy(*child);
}

void Topology::Remove(TopologyNode& node) {
  std::vector<PortEntry>* holder = nullptr;
  std::size_t index = 0;
  const auto search = [&](std::vector<PortEntry>& list) {
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (list[i].child == &node) {
        holder = &list;
        index = i;
        return true;
      }
    }
    return false;
  };
  if (node.parent == nullptr) {
    search(rootPort_);
  } else {
    for (auto& port : node.parent->ports) {
      if (search(port)) break;
    }
  }
  if (holder != nullptr) {
    RemoveEntry(*holder, index);
  } else {
    for (TopologyNode* below : Below(node)) Destroy(*below);
    Destroy(node);
  }
}

void Topology::PortRule(TopologyNode& node, int port, const MacAddress& mac) {
  auto& entries = node.ports[static_cast<std::size_t>(port)];
  if (IsZero(mac)) {
    while (!entries.empty()) RemoveEntry(entries, entries.size() - 1);
    return;
  }
  for (auto& entry : entries) {
    if (entry.mac == mac) {
      entry.seenCycle = cycle_;
      return;
    }
  }
  for (int other = 0; other < node.portCount; ++other) {
    if (other == port) continue;
    auto& list = node.ports[static_cast<std::size_t>(other)];
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (list[i].mac == mac) {
        RemoveEntry(list, i);
        break;
      }
    }
  }
  AddSeen(node.ports[static_cast<std::size_t>(port)], mac, kMaxSeenOnSwitchPort);
}

TopologyNode* Topology::FindOrInsert(const MacAddress& source,
                                     const std::vector<MacAddress>& neighbours) {
  // A MAC may stand on one port only.
  for (std::size_t i = 0; i < neighbours.size(); ++i) {
    if (IsZero(neighbours[i])) continue;
    for (std::size_t j = i + 1; j < neighbours.size(); ++j) {
      if (neighbours[j] == neighbours[i]) return nullptr;
    }
  }
  const int portCount = static_cast<int>(neighbours.size());

  if (TopologyNode* node = Find(source)) {
    if (node->portCount != portCount) return nullptr;
    const MacAddress parentMac = node->parent == nullptr ? adapterMac_ : node->parent->switchMac;
    if (node->uplinkPort < 0 || node->uplinkPort >= portCount ||
        neighbours[static_cast<std::size_t>(node->uplinkPort)] != parentMac) {
      return nullptr;
    }
    for (int port = 0; port < portCount; ++port) {
      if (port != node->uplinkPort)
        PortRule(*node, port, neighbours[static_cast<std::size_t>(port)]);
    }
    return node;
  }

  // The uplink: exactly one port whose neighbour is the adapter or a switch of the tree.
  int uplink = -1;
  TopologyNode* parent = nullptr;
  for (int port = 0; port < portCount; ++port) {
    const MacAddress& mac = neighbours[static_cast<std::size_t>(port)];
    if (IsZero(mac)) continue;
    TopologyNode* candidate = Find(mac);
    if (mac != adapterMac_ && candidate == nullptr) continue;
    if (uplink >= 0) return nullptr;
    uplink = port;
    parent = mac == adapterMac_ ? nullptr : candidate;
  }
  if (uplink < 0 || nodes_.size() >= kMaxTopologyNodes) return nullptr;

  // The parent must already see the switch on one of its ports, as a MAC.
  PortEntry* entry = nullptr;
  const auto look = [&](std::vector<PortEntry>& list) {
    for (auto& candidate : list) {
      if (candidate.mac == source) entry = &candidate;
    }
  };
  if (parent == nullptr) {
    look(rootPort_);
  } else {
    for (auto& port : parent->ports) look(port);
  }
  if (entry == nullptr || entry->child != nullptr) return nullptr;

  auto created = std::make_unique<TopologyNode>();
  TopologyNode* node = created.get();
  node->switchMac = source;
  node->uplinkPort = uplink;
  node->parent = parent;
  node->portCount = portCount;
  node->ports.resize(static_cast<std::size_t>(portCount));
  nodes_.push_back(std::move(created));
  entry->child = node;
  for (int port = 0; port < portCount; ++port) {
    if (port != uplink) PortRule(*node, port, neighbours[static_cast<std::size_t>(port)]);
  }
  return node;
}

}  // namespace ntr
