#include "app/identity_adopter.h"

#include <thread>

#include "catalogue/switch_model.h"

namespace ntr {

void IdentityAdopter::AdoptSwitch(Discovery& discovery, TOPOLOGYNODE& node,
                                  const PDUDATA& reply) {
  ++adoptions_;
  ManagedSwitch* sw = node.switchObject;
  if (sw == nullptr) {
    tag_SWITCHDATA& record = records_.emplace_back();
    record.switchMac = reply.sourceMac;
    sw = discovery.AddSwitch(
        std::make_unique<ManagedSwitch>(discovery.hub(), record, nullptr, discovery.notices()),
        node);
    sw->node.Attach();
  }
  ErrorPair error;
  sw->settings.RequestIdentityRead(error);
  // Adoption looks for the identity every 10 ms, at most half a second.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
  while (!sw->settings.identityComplete() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!sw->settings.identityComplete()) {
    node.applied = false;  // the next reply tries again
    return;
  }
  sw->node.Attach();  // the model is known now
  ModelFixUp(sw->record());
  sw->record().switchState = kStateIdle;
  sw->settings.RequestPoll(error);
}

}  // namespace ntr
