// The VLAN slots of a switch and the plan of one port's tagged-VLAN apply.
// A switch keeps 256 VLAN slots (registration entries); an entry of 1 marks
// a free slot and slot 0 holds the default VLAN. A port refers to slots: its
// access VLAN is a slot index, its trunk membership a flag per slot. The plan
// is worked out on a copy of the record before anything is sent, so a switch
// without a free slot refuses the apply as a whole.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/switch_record.h"
#include "device/apply_job.h"

namespace ntr {

inline constexpr std::int32_t kFreeVlanSlot = 1;  // the entry of a free slot
inline constexpr char kNoFreeVlanSlotText[] = "vlan-idに空きがありません";
inline constexpr char kTaggedVlanAppliedText[] = "タグVLAN の設定は正常に反映されました。";
inline constexpr char kTaggedVlanFailedText[] = "タグVLANの設定に失敗しました。";
inline constexpr char kNeighbourTrunkText[] =
    "隣接機器接続ポートはトランクポートに設定できません。";
inline constexpr std::int32_t kTrunkPortMode = 1;  // vlan-port-mode of a trunk port

using VlanSlots = std::array<std::int32_t, kVlanRegistrations>;

// The slot that holds `vlanId` (slot 0 for VLAN ID 1), -1 when none does.
int FindVlanSlot(const VlanSlots& slots, std::int32_t vlanId);

// The slot `vlanId` goes to: the one that holds it already; else slot
// ID - 1 when the ID is at most 256 and that slot is free; else the first
// free slot after slot 0; -1 when the table is full. `taken` tells whether
// the slot is a free one that must first be given the ID.
int ChooseVlanSlot(const VlanSlots& slots, std::int32_t vlanId, bool& taken);

// Whether `port` is a trunk member of `vlanId` in any slot that holds it.
bool TrunkMember(const SwitchRecord& record, int port, std::int32_t vlanId);

// What the operator chose for one port.
struct TaggedVlanChoice {
  std::int32_t mode = 0;                     // vlan-port-mode: 0 access, 1 trunk, 2 hybrid
  std::optional<std::int32_t> accessVlanId;  // nullopt: none (the default slot 0)
  std::map<std::int32_t, bool> trunk;        // VLAN ID -> member
};

// Whether `port` must not become a trunk port: a neighbouring device is
// connected to it (its neighbour-present flag).
bool NeighbourBlocksTrunk(const SwitchRecord& record, int port);

// The requests that bring `port` of the switch to `choice`, in order: the
// mode; when the access VLAN differs from the port's, the access to slot 0
// and then (a VLAN chosen) to the VLAN's slot, taking one when needed; each
// trunk membership that differs (taking a slot when needed); last every slot
// 1..255 that holds a VLAN no port of the switch uses any more is freed.
// False with `failure` set (and no changes) when a VLAN finds no slot or
// an ID is out of range.
bool PlanTaggedVlan(const SwitchRecord& working, int port, const TaggedVlanChoice& choice,
                    std::vector<SettingChange>& changes, std::string& failure);

}  // namespace ntr
