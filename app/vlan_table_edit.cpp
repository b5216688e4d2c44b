#include "app/vlan_table_edit.h"

#include <algorithm>

namespace ntr {
namespace {

constexpr std::int32_t kFreeEntry = 1;  // vlan-id of an unused registration entry

// The one "%d" of `format` replaced by `value`.
std::string WithNumber(std::string_view format, std::int32_t value) {
  std::string text(format);
  const std::size_t at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(value));
  return text;
}

bool Contains(std::span<const std::int32_t> ids, std::int32_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

std::vector<SettingChange> VlanRemovalChanges(SwitchRecord& record, std::int32_t id) {
  std::vector<SettingChange> changes;
  if (id < kFirstUserVlanId) return changes;  // 1 is the default VLAN and marks free entries
  const int ports = std::clamp<int>(record.portCount, 0, kMaxPorts);
  for (int entry = 1; entry < kVlanRegistrations; ++entry) {
    if (record.vlanIds[entry] != id) continue;
    for (int p = 0; p < ports; ++p) {
      if (record.ports[p].accessVlanEntry != entry) continue;
      changes.push_back(SettingChange::Set(Function::kVlanAccess, FunctionIndex::Port(p), 0));
      record.ports[p].accessVlanEntry = 0;
    }
    for (int p = 0; p < ports; ++p) {
      if (record.ports[p].trunk[entry] == 0) continue;
      changes.push_back(
          SettingChange::Set(Function::kVlanTrunk, FunctionIndex::PortRegistration(p, entry), 0));
      record.ports[p].trunk[entry] = 0;
    }
    changes.push_back(
        SettingChange::Set(Function::kVlanId, FunctionIndex::Registration(entry), kFreeEntry));
    record.vlanIds[entry] = kFreeEntry;
  }
  return changes;
}

std::vector<SettingChange> VlanRemovalChanges(SwitchRecord& record,
                                              std::span<const std::int32_t> ids) {
  std::vector<SettingChange> changes;
  for (const std::int32_t id : ids) {
    std::vector<SettingChange> more = VlanRemovalChanges(record, id);
    changes.insert(changes.end(), std::make_move_iterator(more.begin()),
                   std::make_move_iterator(more.end()));
  }
  return changes;
}

std::vector<std::int32_t> VlanIdsLeavingTable(std::span<const std::int32_t> deleted,
                                              std::span<const RecordPtr> others) {
  std::vector<std::int32_t> leaving;
  for (const std::int32_t id : deleted) {
    if (id < kFirstUserVlanId) continue;
    const bool used = std::any_of(others.begin(), others.end(), [id](const RecordPtr& other) {
      return other != nullptr && UsesVlanId(*other, id);
    });
    if (!used) leaving.push_back(id);
  }
  return leaving;
}

std::optional<std::string> NewVlanProblem(std::span<const VlanName> table, std::int32_t id,
                                          std::span<const std::int32_t> leaving) {
  if (id < kFirstUserVlanId || id > kMaxVlanId)
    return WithNumber(kVlanIdOutOfRangeFormat, kMaxVlanId);
  const bool present =
      std::any_of(table.begin(), table.end(), [id](const VlanName& e) { return e.id == id; });
  if (present && !Contains(leaving, id)) return WithNumber(kVlanIdTakenFormat, id);
  const auto staying = std::count_if(table.begin(), table.end(),
                                     [&](const VlanName& e) { return !Contains(leaving, e.id); });
  if (staying >= kVlanNameCapacity) return WithNumber(kVlanTableFullFormat, kVlanNameCapacity);
  return std::nullopt;
}

VlanTableUpdate UpdateVlanTable(ConfigStore& config, const VlanTableChange& change,
                                std::span<const RecordPtr> users) {
  VlanTableUpdate update;
  const std::vector<VlanName> before = config.VlanNames();
  const std::int32_t defaultId = before.empty() ? 1 : before.front().id;
  for (const VlanName& row : change.names) {
    if (row.id == defaultId || !config.HasVlanName(row.id)) continue;
    config.SetVlanName(row.id, row.name);
  }
  update.kept = config.DropUnusedVlanNames(change.deleted, users);
  if (change.added) {
    const std::vector<VlanName> table = config.VlanNames();
    if (std::optional<std::string> problem = NewVlanProblem(table, change.added->id, {})) {
      // The table changed since the check: the switch has taken the removals,
      // so they and the new names stand; only the new VLAN is left out.
      update.ok = false;
      update.problem = std::move(*problem);
      return update;
    }
    const std::string& name = change.added->name;
    config.SetVlanName(change.added->id,
                       name.empty() ? std::nullopt : std::optional<std::string_view>(name));
  }
  return update;
}

std::vector<std::string> VlanIdListLines(std::span<const std::int32_t> ids, std::size_t lineLimit) {
  std::vector<std::string> lines;
  std::string line;
  for (const std::int32_t id : ids) {
    const std::string number = std::to_string(id);
    if (!line.empty() && line.size() + 2 + number.size() > lineLimit) {
      lines.push_back(std::move(line));
      line.clear();
    }
    line += (line.empty() ? "" : ", ") + number;
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

}  // namespace ntr
