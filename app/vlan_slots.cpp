#include "app/vlan_slots.h"

#include <algorithm>

#include "catalogue/function_descriptors.h"

namespace ntr {

namespace {

constexpr std::int32_t kDefaultVlanId = 1;

// The slots and the VLAN references of every port as they will be once the
// planned requests are in force.
struct PlannedState {
  VlanSlots slots{};
  int ports = 0;
  std::array<std::int32_t, kMaxPorts> access{};
  std::array<std::array<std::int32_t, kVlanRegistrations>, kMaxPorts> trunk{};

  explicit PlannedState(const SwitchRecord& r) : ports(std::clamp<int>(r.portCount, 0, kMaxPorts)) {
    for (std::size_t s = 0; s < slots.size(); ++s) slots[s] = r.vlanIds[s].load();
    for (std::size_t p = 0; p < static_cast<std::size_t>(ports); ++p) {
      access[p] = r.ports[p].accessVlanEntry.load();
      for (std::size_t s = 0; s < slots.size(); ++s) trunk[p][s] = r.ports[p].trunk[s].load();
    }
  }

  bool Used(int slot) const {
    const auto s = static_cast<std::size_t>(slot);
    for (std::size_t p = 0; p < static_cast<std::size_t>(ports); ++p) {
      if (access[p] == slot || trunk[p][s] != 0) return true;
    }
    return false;
  }

  // Whether `port` is a trunk member of `vlanId` in any slot that holds it.
  bool TrunkMember(int port, std::int32_t vlanId) const {
    for (std::size_t s = 0; s < slots.size(); ++s) {
      if (Holds(s, vlanId) && trunk[static_cast<std::size_t>(port)][s] != 0) return true;
    }
    return false;
  }

  bool Holds(std::size_t slot, std::int32_t vlanId) const {
    return vlanId == kDefaultVlanId ? slot == 0 : slots[slot] == vlanId;
  }
};

SettingChange SetVlanId(int slot, std::int32_t vlanId) {
  return SettingChange::Set(Function::kVlanId, FunctionIndex::Registration(slot), vlanId);
}

// The slot of `vlanId`, taking a free one (and planning its vlan-id) when none holds it.
bool SlotFor(PlannedState& state, std::int32_t vlanId, std::vector<SettingChange>& changes,
             int& slot) {
  bool taken = false;
  slot = ChooseVlanSlot(state.slots, vlanId, taken);
  if (slot < 0) return false;
  if (taken) {
    state.slots[static_cast<std::size_t>(slot)] = vlanId;
    changes.push_back(SetVlanId(slot, vlanId));
  }
  return true;
}

bool IdInRange(std::int32_t vlanId) { return vlanId >= 1 && vlanId <= kMaxVlanId; }

}  // namespace

int FindVlanSlot(const VlanSlots& slots, std::int32_t vlanId) {
  if (vlanId == kDefaultVlanId) return 0;
  const auto at = std::find(slots.begin(), slots.end(), vlanId);
  return at == slots.end() ? -1 : static_cast<int>(at - slots.begin());
}

int ChooseVlanSlot(const VlanSlots& slots, std::int32_t vlanId, bool& taken) {
  taken = false;
  const int held = FindVlanSlot(slots, vlanId);
  if (held >= 0) return held;
  taken = true;
  if (vlanId >= 2 && vlanId <= kVlanRegistrations &&
      slots[static_cast<std::size_t>(vlanId - 1)] == kFreeVlanSlot) {
    return vlanId - 1;
  }
  for (std::size_t s = 1; s < slots.size(); ++s) {
    if (slots[s] == kFreeVlanSlot) return static_cast<int>(s);
  }
  taken = false;
  return -1;
}

bool TrunkMember(const SwitchRecord& record, int port, std::int32_t vlanId) {
  if (port < 0 || port >= kMaxPorts) return false;
  const PortSettings& p = record.ports[static_cast<std::size_t>(port)];
  for (std::size_t s = 0; s < record.vlanIds.size(); ++s) {
    const bool holds = vlanId == kDefaultVlanId ? s == 0 : record.vlanIds[s].load() == vlanId;
    if (holds && p.trunk[s].load() != 0) return true;
  }
  return false;
}

bool NeighbourBlocksTrunk(const SwitchRecord& record, int port) {
  return port >= 0 && port < kMaxNeighbours &&
         record.neighbourPresent[static_cast<std::size_t>(port)] != 0;
}

bool PlanTaggedVlan(const SwitchRecord& working, int port, const TaggedVlanChoice& choice,
                    std::vector<SettingChange>& changes, std::string& failure) {
  changes.clear();
  failure.clear();
  PlannedState state(working);
  if (port < 0 || port >= state.ports) {
    failure = "port out of range";
    return false;
  }
  const auto p = static_cast<std::size_t>(port);
  std::vector<SettingChange> plan;
  const auto fail = [&](std::string text) {
    failure = std::move(text);
    return false;
  };
  const std::string rangeText = RangeMessage(DescriptorOf(Function::kVlanId));

  plan.push_back(
      SettingChange::Set(Function::kVlanPortMode, FunctionIndex::Port(port), choice.mode));

  // The access VLAN: "none" is the default slot 0.
  const std::int32_t accessEntry = state.access[p];
  const bool accessInRange = accessEntry >= 0 && accessEntry < kVlanRegistrations;
  const bool accessChanged =
      choice.accessVlanId.has_value()
          ? !accessInRange ||
                !state.Holds(static_cast<std::size_t>(accessEntry), *choice.accessVlanId)
          : accessEntry != 0;
  if (accessChanged) {
    plan.push_back(SettingChange::Set(Function::kVlanAccess, FunctionIndex::Port(port), 0));
    state.access[p] = 0;
    if (choice.accessVlanId.has_value()) {
      if (!IdInRange(*choice.accessVlanId)) return fail(rangeText);
      int slot = 0;
      if (!SlotFor(state, *choice.accessVlanId, plan, slot)) return fail(kNoFreeVlanSlotText);
      if (slot != 0)
        plan.push_back(SettingChange::Set(Function::kVlanAccess, FunctionIndex::Port(port), slot));
      state.access[p] = slot;
    }
  }

  for (const auto& [vlanId, member] : choice.trunk) {
    if (!IdInRange(vlanId)) return fail(rangeText);
    if (state.TrunkMember(port, vlanId) == member) continue;
    if (member) {
      int slot = 0;
      if (!SlotFor(state, vlanId, plan, slot)) return fail(kNoFreeVlanSlotText);
      plan.push_back(
          SettingChange::Set(Function::kVlanTrunk, FunctionIndex::PortRegistration(port, slot), 1));
      state.trunk[p][static_cast<std::size_t>(slot)] = 1;
      continue;
    }
    // Leaving: every slot that holds the ID (a table may hold one ID twice).
    for (std::size_t s = 0; s < state.slots.size(); ++s) {
      if (!state.Holds(s, vlanId) || state.trunk[p][s] == 0) continue;
      plan.push_back(SettingChange::Set(
          Function::kVlanTrunk, FunctionIndex::PortRegistration(port, static_cast<int>(s)), 0));
      state.trunk[p][s] = 0;
    }
  }

  // Slots that hold a VLAN no port uses any more are freed.
  for (int slot = 1; slot < kVlanRegistrations; ++slot) {
    auto& entry = state.slots[static_cast<std::size_t>(slot)];
    if (entry == kFreeVlanSlot || state.Used(slot)) continue;
    plan.push_back(SetVlanId(slot, kFreeVlanSlot));
    entry = kFreeVlanSlot;
  }
  changes = std::move(plan);
  return true;
}

}  // namespace ntr
