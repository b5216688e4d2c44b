#include "discovery/identity_adopter.h"

#include "catalogue/switch_model.h"

namespace ntr {

void IdentityAdopter::AdoptSwitch(Discovery& discovery, TopologyNode& node, const Pdu& reply) {
  ++adoptions_;
  ManagedSwitch* sw = node.managed;
  if (sw == nullptr) {
    SwitchRecord& record = records_.emplace_back();
    record.switchMac = reply.sourceMac;
    sw = discovery.AddSwitch(
        std::make_unique<ManagedSwitch>(discovery.hub(), record, nullptr, discovery.notices()),
        node);
    sw->client().Attach();
  }
  ErrorPair error;
  if (!sw->settings().identityComplete()) {
    // The end of the read resumes the adoption; a failed read is tried
    // again at the next reply.
    if (!sw->settings().identityRequested()) sw->settings().RequestIdentityRead(error);
    node.applied = false;
    return;
  }
  sw->client().Attach();  // the model is known now
  ModelFixUp(sw->record());
  sw->record().switchState = kStateIdle;
  sw->settings().RequestPoll(error);
}

}  // namespace ntr
