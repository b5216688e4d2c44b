// A stand-in for adoption in discovery tests: it creates the switch's
// runtime object with a fresh record, reads its identity (waiting up to half
// a second, as adoption does) and applies the model. Records live as long as
// the adopter.
#pragma once

#include <list>
#include <thread>

#include "app/discovery.h"
#include "catalogue/switch_model.h"

namespace ntr::test {

class TestAdopter : public SwitchAdopter {
 public:
  void AdoptSwitch(Discovery& discovery, TOPOLOGYNODE& node, const PDUDATA& reply) override {
    ++adoptions;
    ManagedSwitch* sw = node.switchObject;
    if (sw == nullptr) {
      tag_SWITCHDATA& record = records_.emplace_back();
      record.switchMac = reply.sourceMac;
      sw = discovery.AddSwitch(std::make_unique<ManagedSwitch>(discovery.hub(), record, nullptr,
                                                               discovery.notices()),
                               node);
      sw->node.Attach();
    }
    ErrorPair error;
    sw->settings.RequestIdentityRead(error);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (!sw->settings.identityComplete() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));  // adoption checks every 10 ms
    }
    if (!sw->settings.identityComplete()) {
      node.applied = false;
      return;
    }
    sw->node.Attach();  // the model is known now
    ModelFixUp(sw->record());
    sw->record().switchState = kStateIdle;
    if (syncOnAdopt) {
      sw->settings.RequestSynchronisation(error);
    }
  }

  std::atomic<int> adoptions{0};
  bool syncOnAdopt = false;

 private:
  std::list<tag_SWITCHDATA> records_;
};

}  // namespace ntr::test
