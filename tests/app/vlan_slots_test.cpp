// The slot rule of VLAN IDs and the plan of a port's tagged-VLAN apply.
#include "app/vlan_slots.h"

#include <gtest/gtest.h>

namespace ntr {
namespace {

// "keyword first second=value" with 0-based indexes as the setters take them.
std::vector<std::string> Texts(const std::vector<SettingChange>& changes) {
  std::vector<std::string> texts;
  for (const SettingChange& c : changes) {
    texts.push_back(std::string(DescriptorOf(c.function).keyword) + " " +
                    std::to_string(c.index.first) + " " + std::to_string(c.index.second) + "=" +
                    std::to_string(c.value));
  }
  return texts;
}

struct Plan {
  bool ok = false;
  std::vector<std::string> changes;
  std::string failure;
};

Plan PlanFor(const SwitchRecord& r, int port, const TaggedVlanChoice& choice) {
  Plan plan;
  std::vector<SettingChange> changes{
      SettingChange::Set(Function::kEnergySaving, FunctionIndex::None(), 0)};
  plan.ok = PlanTaggedVlan(r, port, choice, changes, plan.failure);
  plan.changes = Texts(changes);
  return plan;
}

class VlanSlotsTest : public ::testing::Test {
 protected:
  VlanSlotsTest() { r.portCount = 8; }
  SwitchRecord r;
};

TEST_F(VlanSlotsTest, SlotRule) {
  VlanSlots slots{};
  slots.fill(kFreeVlanSlot);
  bool taken = false;
  EXPECT_EQ(ChooseVlanSlot(slots, 1, taken), 0);
  EXPECT_FALSE(taken);
  EXPECT_EQ(ChooseVlanSlot(slots, 10, taken), 9);  // ID - 1 while free
  EXPECT_TRUE(taken);
  slots[9] = 300;  // preferred slot busy: first free after slot 0
  EXPECT_EQ(ChooseVlanSlot(slots, 10, taken), 1);
  EXPECT_EQ(ChooseVlanSlot(slots, 4000, taken), 1);  // above 256
  slots[40] = 20;  // an ID on the switch keeps its slot, even with its preferred one free
  EXPECT_EQ(ChooseVlanSlot(slots, 20, taken), 40);
  EXPECT_FALSE(taken);
  slots.fill(500);
  slots[0] = 1;
  EXPECT_EQ(ChooseVlanSlot(slots, 7, taken), -1);
}

TEST_F(VlanSlotsTest, AccessAndTrunkTakeSlotsInTurn) {
  r.vlanIds[2] = 4000;  // preferred slot of VLAN 3 is busy
  TaggedVlanChoice choice{1, 5, {{3, true}, {4000, true}, {300, true}}};
  const Plan plan = PlanFor(r, 2, choice);
  ASSERT_TRUE(plan.ok) << plan.failure;
  EXPECT_EQ(plan.changes,
            (std::vector<std::string>{
                "vlan-port-mode 2 0=1", "vlan-access 2 0=0", "vlan-id 4 0=5", "vlan-access 2 0=4",
                "vlan-id 1 0=3", "vlan-trunk 2 1=1",    // first free slot
                "vlan-id 3 0=300", "vlan-trunk 2 3=1",  // the next free one, slot 1 taken
                "vlan-trunk 2 2=1"}));                  // 4000 already in slot 2
}

TEST_F(VlanSlotsTest, CleanUpFreesOnlySlotsNoPortUses) {
  r.vlanIds[9] = 10;
  r.vlanIds[19] = 20;
  r.vlanIds[29] = 30;  // used by nobody before
  r.ports[0].accessVlanEntry = 9;
  r.ports[0].trunk[19] = 1;
  r.ports[5].trunk[19] = 1;  // another port keeps VLAN 20
  TaggedVlanChoice choice{0, std::nullopt, {{20, false}}};
  const Plan plan = PlanFor(r, 0, choice);
  ASSERT_TRUE(plan.ok);
  EXPECT_EQ(plan.changes,
            (std::vector<std::string>{"vlan-port-mode 0 0=0", "vlan-access 0 0=0",
                                      "vlan-trunk 0 19=0", "vlan-id 9 0=1", "vlan-id 29 0=1"}));
}

TEST_F(VlanSlotsTest, UnchangedAndNoneAccess) {
  r.vlanIds[9] = 10;
  r.ports[1].accessVlanEntry = 9;
  // The same access VLAN and memberships: only the mode.
  EXPECT_EQ(PlanFor(r, 1, {2, 10, {{10, false}}}).changes,
            (std::vector<std::string>{"vlan-port-mode 1 0=2"}));
  // "none" goes to slot 0 and nothing else; default VLAN as access likewise.
  EXPECT_EQ(
      PlanFor(r, 1, {0, std::nullopt, {}}).changes,
      (std::vector<std::string>{"vlan-port-mode 1 0=0", "vlan-access 1 0=0", "vlan-id 9 0=1"}));
  EXPECT_EQ(
      PlanFor(r, 1, {0, 1, {}}).changes,
      (std::vector<std::string>{"vlan-port-mode 1 0=0", "vlan-access 1 0=0", "vlan-id 9 0=1"}));
}

TEST_F(VlanSlotsTest, FullTableOrBadIdRefusesTheWholePlan) {
  for (int s = 1; s < kVlanRegistrations; ++s) r.vlanIds[static_cast<std::size_t>(s)] = 1000 + s;
  for (int s = 1; s < kVlanRegistrations; ++s) r.ports[7].trunk[static_cast<std::size_t>(s)] = 1;
  Plan plan = PlanFor(r, 0, {1, std::nullopt, {{1001, true}, {7, true}}});
  EXPECT_FALSE(plan.ok);
  EXPECT_EQ(plan.failure, kNoFreeVlanSlotText);
  EXPECT_TRUE(plan.changes.empty());
  plan = PlanFor(r, 0, {0, 4095, {}});
  EXPECT_FALSE(plan.ok);
  EXPECT_EQ(plan.failure, "VLAN IDの範囲は1～4094です");
  EXPECT_TRUE(plan.changes.empty());
}

}  // namespace
}  // namespace ntr
