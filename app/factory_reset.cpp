#include "app/factory_reset.h"

#include "catalogue/switch_model.h"
#include "device/managed_switch.h"

namespace ntr {

void ResetSettingsToFactory(SwitchRecord& record) {
  const MacAddress mac = record.switchMac;
  const std::int32_t state = record.switchState;
  const std::int32_t modelCode = record.modelCode;
  const std::int32_t ports = record.portCount;
  const std::int32_t counters = record.counterCount;
  const std::string firmware = record.firmwareRevision.get();
  const std::string model = record.modelName.get();
  const std::string serial = record.serialNumber.get();
  const std::string bootRom = record.bootRomVersion.get();
  const std::string macText = record.macText.get();
  record.Initialise();
  record.switchMac = mac;
  record.switchState = state;
  record.modelCode = modelCode;
  record.portCount = ports;
  record.counterCount = counters;
  record.firmwareRevision = firmware;
  record.modelName = model;
  record.serialNumber = serial;
  record.bootRomVersion = bootRom;
  record.macText = macText;
  ModelFixUp(record);  // by the model: the default name and mirroring destination
}

void ResetRecordToFactory(ManagedSwitch& sw) {
  SwitchRecord& record = sw.record();
  ResetSettingsToFactory(record);
  sw.client().Attach();              // the MAC text and the model's counts
  record.modelCode = kModelUnknown;  // held back until adopted again
}

std::vector<std::int32_t> DropVlanNamesAfterReset(ConfigStore& config,
                                                  const std::vector<RecordPtr>& managed,
                                                  const std::vector<std::int32_t>& formerIds) {
  std::vector<RecordPtr> users = managed;
  for (RecordPtr& record : config.StoredRecords()) users.push_back(std::move(record));
  const std::vector<std::int32_t> kept = config.DropUnusedVlanNames(formerIds, users);
  std::vector<std::int32_t> all;
  for (const VlanName& entry : config.VlanNames()) all.push_back(entry.id);
  config.DropUnusedVlanNames(all, users);
  return kept;
}

}  // namespace ntr
