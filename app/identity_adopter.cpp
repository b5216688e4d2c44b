#include "app/identity_adopter.h"

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
  if (!sw->settings.identityComplete()) {
    // The end of the read resumes the adoption; a failed read is tried
    // again at the next reply.
    if (!sw->settings.identityRequested()) sw->settings.RequestIdentityRead(error);
    node.applied = false;
    return;
  }
  sw->node.Attach();  // the model is known now
  ModelFixUp(sw->record());
  sw->record().switchState = kStateIdle;
  sw->settings.RequestPoll(error);
}

}  // namespace ntr
