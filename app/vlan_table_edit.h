// The VLAN ID screen's plan, free of any window: which requests take a VLAN
// off one switch, whether a new VLAN may join the table of VLAN names, how
// the table changes once the switch took the removals, and how the IDs whose
// names stayed are listed. The screen (or any front end) runs the requests as
// the switch's apply job and calls UpdateVlanTable only after they succeeded,
// so a failure leaves the table as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "config/config_store.h"
#include "device/apply_job.h"

namespace ntr {

inline constexpr std::int32_t kFirstUserVlanId = 2;  // ID 1 is the default VLAN
inline constexpr int kVlanListLineLimit = 76;        // characters of one line of an ID list

inline constexpr std::string_view kVlanIdOutOfRangeFormat =
    "IDが範囲外です（VLAN IDの範囲は2～%dです）";
inline constexpr std::string_view kVlanIdTakenFormat = "VLAN ID %d は　すでに登録されています。";
inline constexpr char kVlanIdAppliedText[] = "VLAN ID の設定は正常に反映されました。";
inline constexpr char kBadParameterText[] = "パラメータが不正です。";
inline constexpr char kConfigSaveFailedText[] = "設定ファイルの保存に失敗しました。";
// Removing VLANs from a switch fails under the words of the port's basic functions.
inline constexpr char kVlanIdFailedText[] = "VLAN IDの設定に失敗しました。";
inline constexpr char kPortBasicFailedText[] = "基本機能の設定に失敗しました。";
inline constexpr std::string_view kVlanTableFullFormat =
    "ID登録個数オーバーです（VLAN IDの登録可能個数は%dです）";

// The requests that take VLAN `id` off the switch of `record`, for every
// registration entry but the first (the default VLAN) that holds it: each
// port whose access VLAN it is goes back to entry 0 (vlan-access), each trunk
// member leaves it (vlan-trunk), then the entry is freed (vlan-id := 1).
// `record` is a copy: it is changed as the switch will be, so that a further
// call for another ID sees the state after these requests. Nothing for ID 1.
std::vector<SettingChange> VlanRemovalChanges(SwitchRecord& record, std::int32_t id);
// The same for several IDs, in the order given.
std::vector<SettingChange> VlanRemovalChanges(SwitchRecord& record,
                                              std::span<const std::int32_t> ids);

// Those of `deleted` whose names go once this switch no longer has them: no
// record of `others` (the other managed switches) registers them.
std::vector<std::int32_t> VlanIdsLeavingTable(std::span<const std::int32_t> deleted,
                                              std::span<const RecordPtr> others);

// Why VLAN `id` cannot join `table` when the IDs `leaving` leave it in the
// same change, or nothing when it can: out of 2..4094, already there (and
// not leaving), or no room among the 33 entries.
std::optional<std::string> NewVlanProblem(std::span<const VlanName> table, std::int32_t id,
                                          std::span<const std::int32_t> leaving);

// What the operator changed in the table: the names of the rows (entry 0, the
// default VLAN, keeps its own), the IDs taken off the switch, a new VLAN
// (an empty name becomes "VLAN%d").
struct VlanTableChange {
  std::vector<VlanName> names;
  std::vector<std::int32_t> deleted;
  std::optional<VlanName> added;
};

struct VlanTableUpdate {
  bool ok = true;  // false: the new VLAN did not fit (`problem` says why); the rest stands
  std::string problem;
  std::vector<std::int32_t> kept;  // deleted IDs whose names stay: some of `users` still has them
};

// Applies `change` to the table after the switch took the removals. `users`:
// the managed switches' records (the edited one included).
VlanTableUpdate UpdateVlanTable(ConfigStore& config, const VlanTableChange& change,
                                std::span<const RecordPtr> users);

// "%d", then ", %d" for each further ID; a new line starts before one would
// pass `lineLimit` characters.
std::vector<std::string> VlanIdListLines(std::span<const std::int32_t> ids,
                                         std::size_t lineLimit = kVlanListLineLimit);

}  // namespace ntr
