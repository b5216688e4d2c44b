#include "config/config_store.h"

#include <algorithm>

#include "base/text_encoding.h"

namespace ntr {
namespace {

constexpr std::size_t kNameRuleChars = 255;

bool InVlanRange(std::int32_t id) { return id >= 1 && id <= kMaxVlanId; }

}  // namespace

bool FollowsNameRule(std::string_view name, bool spaces) {
  if (name.empty() || CountChars(name) > kNameRuleChars) return false;
  const bool plain = std::all_of(name.begin(), name.end(), [spaces](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte != 0x7F && (spaces || byte != ' ');
  });
  std::string cp932, back;
  return plain && Utf8ToCp932(name, cp932) && Cp932ToUtf8(cp932, back) && back == name;
}

std::string DefaultVlanName(std::int32_t id) { return "VLAN" + std::to_string(id); }

bool UsesVlanId(const SwitchRecord& record, std::int32_t id) {
  return std::any_of(record.vlanIds.begin(), record.vlanIds.end(),
                     [id](const RelaxedInt32& registered) { return registered.load() == id; });
}

void NameVlansUsedOnPorts(ConfigStore& config, const SwitchRecord& record) {
  const int ports = std::clamp<int>(record.portCount, 0, kMaxPorts);
  const auto name = [&](std::int32_t entry) {
    if (entry < 0 || entry >= kVlanRegistrations) return true;
    const std::int32_t id = record.vlanIds[entry];
    if (id == 1 || config.HasVlanName(id)) return true;
    return config.SetVlanName(id);
  };
  for (int p = 0; p < ports; ++p) {
    if (!name(record.ports[p].accessVlanEntry)) return;
    for (int entry = 0; entry < kVlanRegistrations; ++entry) {
      if (record.ports[p].trunk[entry] != 0 && !name(entry)) return;
    }
  }
}

void CopySettings(SwitchRecord& to, const SwitchRecord& from) {
  if (&to == &from) return;
  to.systemName = from.systemName;
  to.modelName = from.modelName;
  to.serialNumber = from.serialNumber;
  to.firmwareRevision = from.firmwareRevision;
  to.energySaving = from.energySaving;
  to.ledBrightness = from.ledBrightness;
  to.mirrorDestination = from.mirrorDestination;
  to.loopCount = from.loopCount;
  to.loopLinkDown = from.loopLinkDown;
  to.loopRecoveryTime = from.loopRecoveryTime;
  to.qosSpeedUnit = from.qosSpeedUnit;
  to.mirroringUse = from.mirroringUse;
  to.vlanIds = from.vlanIds;
  to.multipleVlanUse = from.multipleVlanUse;
  to.macAgeing = from.macAgeing;
  to.macAgeingTime = from.macAgeingTime;
  to.loopDetectionTime = from.loopDetectionTime;
  to.loopControlPackets = from.loopControlPackets;
  to.ports = from.ports;
  to.nameDefaulted = from.nameDefaulted;
  to.mirrorDefaulted = from.mirrorDefaulted;
  to.failures = from.failures;
}

void ConfigStore::Reset() {
  std::vector<RecordPtr> dropped;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    watchInterval_ = kDefaultWatchValue;
    downCount_ = kDefaultWatchValue;
    vlanNames_.assign(1, VlanName{1, "default"});
    dropped.swap(stored_);
  }
  // Records still used by a switch or a reader live on with their users.
}

void ConfigStore::SetWatch(std::int32_t interval, std::int32_t downCount) {
  watchInterval_ = interval;
  downCount_ = downCount;
}

bool ConfigStore::SetVlanName(std::int32_t id, std::optional<std::string_view> name,
                              bool* renamed) {
  if (renamed != nullptr) *renamed = false;
  if (!InVlanRange(id)) return false;
  // The name is kept as code page 932 gives it back (the file's form), so
  // the file read back holds the very same name.
  std::string cp932, canonical;
  const bool valid = name && Utf8ToCp932(*name, cp932) && Cp932ToUtf8(cp932, canonical) &&
                     FollowsNameRule(canonical);
  std::string text =
      valid ? std::string(CutToChars(canonical, kVlanNameChars)) : DefaultVlanName(id);
  std::lock_guard<std::mutex> lock(mutex_);
  for (VlanName& entry : vlanNames_) {
    if (entry.id == id) {
      entry.name = std::move(text);
      if (renamed != nullptr) *renamed = true;
      return true;
    }
  }
  if (vlanNames_.size() >= static_cast<std::size_t>(kVlanNameCapacity)) return false;
  vlanNames_.push_back(VlanName{id, std::move(text)});
  SortLocked();
  return true;
}

std::string ConfigStore::GetVlanName(std::int32_t id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const VlanName& entry : vlanNames_) {
    if (entry.id == id) return entry.name;
  }
  return {};
}

bool ConfigStore::HasVlanName(std::int32_t id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::any_of(vlanNames_.begin(), vlanNames_.end(),
                     [id](const VlanName& entry) { return entry.id == id; });
}

std::vector<VlanName> ConfigStore::VlanNames() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return vlanNames_;
}

void ConfigStore::RestoreVlanNames(const std::vector<VlanName>& names) {
  std::lock_guard<std::mutex> lock(mutex_);
  vlanNames_.clear();
  for (const VlanName& entry : names) {
    if (vlanNames_.size() == static_cast<std::size_t>(kVlanNameCapacity)) break;
    if (InVlanRange(entry.id)) vlanNames_.push_back(entry);
  }
  if (vlanNames_.empty()) vlanNames_.push_back(VlanName{1, "default"});
  SortLocked();
}

std::vector<std::int32_t> ConfigStore::DropUnusedVlanNames(std::span<const std::int32_t> ids,
                                                           std::span<const RecordPtr> users) {
  std::vector<std::int32_t> kept;
  std::lock_guard<std::mutex> lock(mutex_);
  for (const std::int32_t id : ids) {
    if (id < 2) continue;
    const bool used = std::any_of(users.begin(), users.end(), [id](const RecordPtr& user) {
      return user != nullptr && UsesVlanId(*user, id);
    });
    if (used) {
      kept.push_back(id);
      continue;
    }
    std::erase_if(vlanNames_, [id](const VlanName& entry) { return entry.id == id; });
  }
  return kept;
}

void ConfigStore::AppendStoredRecord(RecordPtr record) {
  if (record == nullptr) return;
  std::lock_guard<std::mutex> lock(mutex_);
  stored_.push_back(std::move(record));
}

RecordPtr ConfigStore::FindStoredRecord(const MacAddress& mac) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const RecordPtr& record : stored_) {
    if (record->switchMac.load() == mac) return record;
  }
  return nullptr;
}

bool ConfigStore::ContainsStoredRecord(const SwitchRecord* record) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::any_of(stored_.begin(), stored_.end(),
                     [record](const RecordPtr& stored) { return stored.get() == record; });
}

bool ConfigStore::ReplaceStoredRecord(const SwitchRecord* old, RecordPtr replacement) {
  if (replacement == nullptr) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  for (RecordPtr& stored : stored_) {
    if (stored.get() == old) {
      stored = std::move(replacement);
      return true;
    }
  }
  return false;
}

std::vector<RecordPtr> ConfigStore::StoredRecords() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stored_;
}

std::size_t ConfigStore::StoredCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stored_.size();
}

void ConfigStore::ClearStoredRecords() {
  std::vector<RecordPtr> dropped;
  std::lock_guard<std::mutex> lock(mutex_);
  dropped.swap(stored_);
}

void ConfigStore::SortLocked() {
  std::stable_sort(vlanNames_.begin(), vlanNames_.end(),
                   [](const VlanName& a, const VlanName& b) { return a.id < b.id; });
}

}  // namespace ntr
