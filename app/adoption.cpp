#include "app/adoption.h"

#include <algorithm>
#include <new>

#include "app/factory_reset.h"
#include "catalogue/switch_model.h"
#include "config/config_writer.h"

namespace ntr {
namespace {

// A synchronisation (asked for or running) or a bulk read of the switch is
// under way.
bool SettingsRunning(const ManagedSwitch& sw) {
  return sw.settings().synchronisationPending() || sw.settings().bulkReadRequested();
}

}  // namespace

void ResetMacList::Add(const MacAddress& mac) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (std::find(macs_.begin(), macs_.end(), mac) == macs_.end()) macs_.push_back(mac);
}

bool ResetMacList::Contains(const MacAddress& mac) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::find(macs_.begin(), macs_.end(), mac) != macs_.end();
}

SwitchAdoption::SwitchAdoption(Parts parts, Hooks hooks)
    : parts_(std::move(parts)), hooks_(std::move(hooks)) {}

void SwitchAdoption::AdoptSwitch(Discovery& discovery, TopologyNode& node, const Pdu& reply) {
  Adopt(discovery, node, reply);
}

bool SwitchAdoption::Adopt(Discovery& discovery, TopologyNode& node, const Pdu& reply) {
  const auto* body = std::get_if<DiscoveryReply>(&reply.body);
  if ((parts_.stopping && parts_.stopping()) || discovery.closing || body == nullptr) return true;
  ManagedSwitch* sw = node.managed;
  if (sw != nullptr && discovery.Find(sw->ref()) != sw) return true;
  node.applied = true;
  if (sw != nullptr && sw->record().modelCode != kModelUnknown) return Finish(*sw, node, *body);
  if (sw == nullptr) {
    sw = Create(discovery, node, reply.sourceMac);
    if (sw == nullptr) return false;
  }
  if (!IdentityReady(*sw, node)) return false;
  Adopting a{discovery, reply.sourceMac, *body, sw, &node, sw->ref()};
  if (Governed(*sw)) return AdoptGoverned(a);
  if (const RecordPtr stored = parts_.host.config.FindStoredRecord(sw->mac())) {
    return AdoptKnown(a, stored);
  }
  return AdoptNew(a);
}

ManagedSwitch* SwitchAdoption::Create(Discovery& discovery, TopologyNode& node,
                                      const MacAddress& mac) {
  std::unique_ptr<ManagedSwitch> created;
  RecordPtr record;
  try {
    record = std::make_shared<SwitchRecord>();
    record->switchMac = mac;
    record->macText = FormatSwitchMac(mac);
    created =
        std::make_unique<ManagedSwitch>(discovery.hub(), *record, &parts_.saver, parts_.notices);
    created->KeepRecord(record);
    std::lock_guard<std::mutex> lock(lock_);
    managed_.push_back(Runtime{created.get(), record, std::nullopt});
  } catch (const std::bad_alloc&) {
    if (parts_.reportError) parts_.reportError(ErrorPair{kErrNoMemory, {}});
    return nullptr;
  }
  ManagedSwitch* sw = discovery.AddSwitch(std::move(created), node);
  if (hooks_.switchCreated) hooks_.switchCreated(*sw);
  return sw;
}

bool SwitchAdoption::IdentityReady(ManagedSwitch& sw, TopologyNode& node) {
  const auto notYet = [&] {
    sw.record().modelCode = kModelUnknown;
    node.applied = false;
    return false;
  };
  if (sw.settings().bulkReadRequested()) return notYet();
  if (sw.settings().identityComplete()) return true;
  // The read runs on the settings thread; its end resumes the adoption
  // (Discovery::ResumeAdoption), so nothing waits for it here.
  if (!sw.settings().identityRequested()) {
    ErrorPair error;
    sw.settings().RequestIdentityRead(error);
  }
  return notYet();
}

SwitchAdoption::Identity SwitchAdoption::ReportedIdentity(ManagedSwitch& sw) {
  const SwitchRecord& record = sw.record();
  std::lock_guard<std::mutex> lock(lock_);
  for (Runtime& runtime : managed_) {
    if (runtime.sw != &sw) continue;
    if (!runtime.identity) {
      runtime.identity = Identity{record.firmwareRevision.get(), record.modelName.get(),
                                  record.serialNumber.get()};
    }
    return *runtime.identity;
  }
  return Identity{record.firmwareRevision.get(), record.modelName.get(), record.serialNumber.get()};
}

bool SwitchAdoption::AdoptKnown(Adopting& a, const RecordPtr& stored) {
  ManagedSwitch& sw = *a.sw;
  SwitchRecord& record = sw.record();
  const Identity identity = ReportedIdentity(sw);
  if (stored.get() != &record) {
    // The stored record becomes the switch's record: its content moves into
    // the record the switch works on, which takes its place in the list.
    const std::int32_t state = record.switchState;
    record = *stored;
    record.switchState = state;
    parts_.host.config.ReplaceStoredRecord(stored.get(), sw.recordOwner());
  }
  record.firmwareRevision = identity.firmwareRevision;
  record.modelName = identity.modelName;
  record.serialNumber = identity.serialNumber;
  sw.client().Attach();
  ModelFixUp(record);
  CheckAgainstFile(record);

  std::int32_t model = ModelCodeOf(record.modelName.get());
  if (SettingsRunning(sw)) model = kModelUnknown;
  if (model == kModelUnknown) {
    record.modelCode = kModelUnknown;
    a.node->applied = false;
    return false;
  }
  record.modelCode = kModelUnknown;  // held back while the operator decides
  const bool ask = !parts_.resetMacs.Contains(sw.mac()) && !SettingsRunning(sw);
  if (ask) {
    ComputeFingerprint(record, true);
    if (static_cast<std::uint32_t>(a.reply.fingerprint) == record.currentFingerprint) {
      // The switch holds the stored settings.
    } else if (a.reply.fingerprint == -1) {
      const bool toolValues = Ask(a, AdoptionQuestion::kFactoryState);
      if (a.sw == nullptr) return false;
      if (!toolValues) {
        ResetToDefaults(sw);
        DropUnusedNames();
        Notify(Notification::kSwitchWorkFinished, sw);
      }
    } else {
      const bool toolValues = Ask(a, AdoptionQuestion::kSettingsChanged);
      if (a.sw == nullptr) return false;
      if (!toolValues) {
        ReadFromDevice(sw, model);
        return false;
      }
    }
  }
  return Settle(a, model);
}

bool SwitchAdoption::AdoptNew(Adopting& a) {
  ManagedSwitch& sw = *a.sw;
  SwitchRecord& record = sw.record();
  ReportedIdentity(sw);
  ResetToDefaults(sw);  // the identity read from the switch, all else at its defaults
  const std::int32_t model = ModelCodeOf(record.modelName.get());
  if (model == kModelUnknown) {
    if (!parts_.host.config.ContainsStoredRecord(&record)) {
      parts_.host.config.AppendStoredRecord(sw.recordOwner());
    }
    a.node->applied = false;
    return false;
  }
  const bool factoryValues = Ask(a, AdoptionQuestion::kNewDevice);
  if (a.sw == nullptr) return false;
  if (!factoryValues && a.reply.fingerprint != -1) {
    ReadFromDevice(sw, model);
    return false;
  }
  if (!parts_.host.config.ContainsStoredRecord(&record)) {
    parts_.host.config.AppendStoredRecord(sw.recordOwner());
  }
  record.modelCode = model;
  Save();
  return Settle(a, model);
}

// The replies that waited behind a question (the window's modal loop), and
// those sent before a synchronisation ended, carry the switch's fingerprint
// from before the answer: they must not ask the same question again.
bool SwitchAdoption::AdoptGoverned(Adopting& a) {
  SwitchRecord& record = a.sw->record();
  std::int32_t model = ModelCodeOf(record.modelName.get());
  if (SettingsRunning(*a.sw)) model = kModelUnknown;
  if (model == kModelUnknown) {
    record.modelCode = kModelUnknown;
    a.node->applied = false;
    return false;
  }
  return Settle(a, model);
}

bool SwitchAdoption::Governed(const ManagedSwitch& sw) const {
  std::lock_guard<std::mutex> lock(lock_);
  for (const Runtime& runtime : managed_) {
    if (runtime.sw == &sw) return runtime.governed;
  }
  return false;
}

bool SwitchAdoption::Settle(Adopting& a, std::int32_t model) {
  ManagedSwitch& sw = *a.sw;
  SwitchRecord& record = sw.record();
  {
    std::lock_guard<std::mutex> lock(lock_);
    for (Runtime& runtime : managed_) {
      if (runtime.sw == &sw) runtime.governed = true;
    }
  }
  record.modelCode = model;
  ComputeFingerprint(record, true);
  record.fingerprintValid = 1;
  if (static_cast<std::uint32_t>(a.reply.fingerprint) == record.currentFingerprint) {
    Save();
    record.switchState = kStateIdle;
    Notify(Notification::kSwitchWorkFinished, sw);
  } else {
    record.modelCode = kModelUnknown;  // discovery synchronises it; the next reply looks again
  }
  return Finish(sw, *a.node, a.reply);
}

bool SwitchAdoption::Finish(ManagedSwitch& sw, TopologyNode& node, const DiscoveryReply& reply) {
  sw.MarkAnswered();
  SwitchRecord& record = sw.record();
  int present = 0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(kMaxNeighbours); ++i) {
    const bool filled = i < reply.neighbourMacs.size() && reply.neighbourMacs[i] != MacAddress{};
    record.neighbourMacs[i] = filled ? reply.neighbourMacs[i] : MacAddress{};
    record.neighbourPresent[i] = filled ? 1 : 0;
    present += filled ? 1 : 0;
  }
  record.neighbourCount = present;
  node.applied = false;
  return true;
}

bool SwitchAdoption::Ask(Adopting& a, AdoptionQuestion mode) {
  const bool firstButton = parts_.op.AskAdoption(mode, a.ref.mac);
  // The question ran a modal loop: anything may have gone or come meanwhile,
  // so the node and the switch are looked up again, the switch by its MAC
  // and generation (a new object for the same MAC is another adoption).
  a.node = a.discovery.FindNode(a.nodeMac);
  ManagedSwitch* sw = a.discovery.Find(a.ref);
  const bool there = a.node != nullptr && sw != nullptr && a.node->managed == sw;
  a.sw = there ? sw : nullptr;
  if (!there) a.node = nullptr;
  return firstButton;
}

void SwitchAdoption::ReadFromDevice(ManagedSwitch& sw, std::int32_t model) {
  SwitchRecord& record = sw.record();
  record.modelCode = model;
  // No baseline until the switch's own settings are in: discovery must not
  // synchronise the tool's values onto the switch meanwhile.
  record.fingerprintValid = 0;
  sw.Redraw();
  ErrorPair error;
  if (sw.settings().RequestBulkRead(error)) {
    Notify(Notification::kReadProgress, sw, 0);
    Notify(Notification::kModalRead, sw, 1);
    return;
  }
  record.modelCode = kModelUnknown;
  // The message box runs a nested loop that may remove the switch: nothing
  // of it is touched afterwards.
  parts_.op.ShowMessage(DeviceReadFailedText(sw.mac()), MessageIcon::kError);
}

void SwitchAdoption::CheckAgainstFile(SwitchRecord& record) {
  ConfigStore checked;
  ReadOptions options;
  options.filter = &record;
  options.portCount = record.portCount;
  options.counterCount = record.counterCount;
  ErrorPair error;
  const auto path = parts_.configPath.empty() ? ConfigFilePath() : parts_.configPath;
  if (!ReadConfigText(parts_.host, checked, path, options, error)) return;
  const std::vector<RecordPtr> records = checked.StoredRecords();
  if (records.empty()) return;
  for (std::string& text : records.front()->failures.Copy()) record.AddFailure(std::move(text));
  record.modelChecked = 1;
  Save();
}

void SwitchAdoption::ResetToDefaults(ManagedSwitch& sw) { ResetRecordToFactory(sw); }

void SwitchAdoption::DropUnusedNames() {
  DropVlanNamesAfterReset(parts_.host.config, ManagedRecords());
}

void SwitchAdoption::SwitchRemoving(ManagedSwitch& sw) {
  std::lock_guard<std::mutex> lock(lock_);
  std::erase_if(managed_, [&](const Runtime& runtime) { return runtime.sw == &sw; });
}

std::vector<RecordPtr> SwitchAdoption::ManagedRecords() const {
  std::lock_guard<std::mutex> lock(lock_);
  std::vector<RecordPtr> records;
  for (const Runtime& runtime : managed_) records.push_back(runtime.record);
  return records;
}

RecordPtr SwitchAdoption::ManagedRecordOf(const MacAddress& mac) const {
  std::lock_guard<std::mutex> lock(lock_);
  for (const Runtime& runtime : managed_) {
    if (runtime.record->switchMac.load() == mac) return runtime.record;
  }
  return nullptr;
}

void SwitchAdoption::DecideAgain(const MacAddress& mac) {
  std::lock_guard<std::mutex> lock(lock_);
  for (Runtime& runtime : managed_) {
    if (runtime.record->switchMac.load() == mac) runtime.governed = false;
  }
}

bool SwitchAdoption::KeepRecordOf(ManagedSwitch& sw) {
  if (sw.recordOwner() == nullptr) return false;
  if (!parts_.host.config.ContainsStoredRecord(sw.recordOwner().get())) {
    parts_.host.config.AppendStoredRecord(sw.recordOwner());
  }
  Save();
  return true;
}

void SwitchAdoption::Notify(Notification message, ManagedSwitch& sw, std::int64_t value) {
  if (parts_.notices != nullptr) parts_.notices->Post(Notice{message, value, 0, sw.ref()});
}

void SwitchAdoption::Save() {
  ErrorPair error;
  parts_.saver.SaveConfigFile(error);  // a failure stays in the saver's own last error
}

}  // namespace ntr
