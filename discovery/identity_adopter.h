// Adoption without a registry: a switch is taken under management with the
// settings it holds. Its runtime object gets a record of its own, its
// identity is read (the end of the read resumes the adoption, as it does for
// the registry's adoption), the model applied, and a first status poll
// requested. For headless looks at a
// network, benchmarks and tests; the application adopts through its registry.
#pragma once

#include <list>
#include <mutex>

#include "discovery/discovery.h"

namespace ntr {

class IdentityAdopter : public SwitchAdopter {
 public:
  void AdoptSwitch(Discovery& discovery, TopologyNode& node, const Pdu& reply) override;

  int adoptions() const { return adoptions_; }

 private:
  std::atomic<int> adoptions_{0};
  std::list<SwitchRecord> records_;  // outlive the switches (destroyed after them)
};

}  // namespace ntr
