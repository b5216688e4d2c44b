#include "app/monitor_adoption.h"

#include <new>

#include "base/text_encoding.h"
#include "catalogue/switch_model.h"

namespace ntr {

void MonitorAdoption::AdoptSwitch(Discovery& discovery, TopologyNode& node, const Pdu& reply) {
  if (discovery.closing || !std::holds_alternative<DiscoveryReply>(reply.body)) return;
  ManagedSwitch* sw = node.managed;
  if (sw == nullptr) sw = Create(discovery, node, reply);
  if (sw == nullptr) {
    node.applied = false;
    return;
  }
  SwitchRecord& record = sw->record();
  ErrorPair error;
  if (!sw->settings().identityComplete()) {
    // The end of the read resumes the adoption; a failed read is tried
    // again at the next reply.
    if (!sw->settings().identityRequested()) sw->settings().RequestIdentityRead(error);
    record.modelCode = kModelUnknown;
    node.applied = false;
    return;
  }
  sw->client().Attach();  // the model is known now
  ModelFixUp(record);
  const std::int32_t model = ModelCodeOf(record.modelName.get());
  if (model == kModelUnknown) {
    record.modelCode = kModelUnknown;
    node.applied = false;
    return;
  }
  record.modelCode = model;
  record.fingerprintValid = 0;  // no baseline: discovery never synchronises the switch
  record.switchState = kStateIdle;
  sw->MarkAnswered();
  sw->settings().RequestPoll(error, true);
}

ManagedSwitch* MonitorAdoption::Create(Discovery& discovery, TopologyNode& node, const Pdu& reply) {
  const auto& body = std::get<DiscoveryReply>(reply.body);
  std::unique_ptr<ManagedSwitch> created;
  try {
    auto record = std::make_shared<SwitchRecord>();
    if (const RecordPtr stored = config_.FindStoredRecord(reply.sourceMac)) {
      *record = *stored;  // a copy: the data folder's record stays as it is
    } else {
      record->systemName = FileSafeText(Cp932ToUtf8Lossy(body.secondText));
    }
    record->switchMac = reply.sourceMac;
    record->macText = FormatSwitchMac(reply.sourceMac);
    record->modelCode = kModelUnknown;
    record->fingerprintValid = 0;
    created = std::make_unique<ManagedSwitch>(discovery.hub(), *record, nullptr, notices_);
    created->KeepRecord(std::move(record));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return discovery.AddSwitch(std::move(created), node);
}

}  // namespace ntr
