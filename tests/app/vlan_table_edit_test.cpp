// The VLAN ID screen's plan without a switch: the requests that take a VLAN
// off a switch, the checks of a new VLAN, the table after the change, and
// the kept IDs' list.
#include "app/vlan_table_edit.h"

#include <gtest/gtest.h>

namespace ntr {
namespace {

std::vector<std::string> Texts(const std::vector<SettingChange>& changes) {
  std::vector<std::string> texts;
  for (const SettingChange& c : changes) {
    texts.push_back(std::string(DescriptorOf(c.function).keyword) + "(" +
                    std::to_string(c.index.first) + "," + std::to_string(c.index.second) +
                    ")=" + std::to_string(c.value));
  }
  return texts;
}

RecordPtr EightPorts() {
  auto record = std::make_shared<SwitchRecord>();
  record->portCount = 8;
  for (auto& id : record->vlanIds) id = 1;
  return record;
}

std::vector<VlanName> TableOf(int count) {
  std::vector<VlanName> table{{1, "default"}};
  for (int i = 1; i < count; ++i) table.push_back({100 + i, "v"});
  return table;
}

TEST(VlanTableEditTest, RemovalFreesAccessTrunkAndEverySlotOfTheId) {
  RecordPtr record = EightPorts();
  record->vlanIds[3] = 30;
  record->vlanIds[7] = 30;  // the same ID twice
  record->vlanIds[5] = 50;
  record->ports[2].accessVlanEntry = 3;
  record->ports[6].trunk[3] = 1;
  record->ports[1].trunk[7] = 1;
  record->ports[4].accessVlanEntry = 5;
  record->ports[12].accessVlanEntry = 3;  // beyond the port count: left alone

  const std::vector<std::int32_t> ids{50, 30};
  EXPECT_EQ(Texts(VlanRemovalChanges(*record, ids)),
            (std::vector<std::string>{"vlan-access(4,0)=0", "vlan-id(5,0)=1", "vlan-access(2,0)=0",
                                      "vlan-trunk(6,3)=0", "vlan-id(3,0)=1", "vlan-trunk(1,7)=0",
                                      "vlan-id(7,0)=1"}));
  EXPECT_FALSE(UsesVlanId(*record, 30) || UsesVlanId(*record, 50));
  EXPECT_TRUE(VlanRemovalChanges(*record, 30).empty());  // the copy followed the requests
  EXPECT_TRUE(VlanRemovalChanges(*record, 1).empty());   // the default VLAN's slot stays
}

TEST(VlanTableEditTest, NewVlanChecks) {
  const std::vector<VlanName> some = TableOf(3);  // 1, 101, 102
  const std::string outOfRange = "IDが範囲外です（VLAN IDの範囲は2～4094です）";
  EXPECT_EQ(NewVlanProblem(some, 1, {}), outOfRange);
  EXPECT_EQ(NewVlanProblem(some, 4095, {}), outOfRange);
  EXPECT_EQ(NewVlanProblem(some, 101, {}), "VLAN ID 101 は　すでに登録されています。");
  const std::vector<std::int32_t> leaving101{101};
  EXPECT_EQ(NewVlanProblem(some, 101, leaving101), std::nullopt);  // deleted and added again

  const std::vector<VlanName> full = TableOf(kVlanNameCapacity);
  EXPECT_EQ(NewVlanProblem(TableOf(kVlanNameCapacity - 1), 2, {}), std::nullopt);
  EXPECT_EQ(NewVlanProblem(full, 2, {}), "ID登録個数オーバーです（VLAN IDの登録可能個数は33です）");
  EXPECT_EQ(NewVlanProblem(full, 2, leaving101), std::nullopt);

  // Only what no other switch registers leaves the table.
  RecordPtr other = EightPorts();
  other->vlanIds[9] = 102;
  const std::vector<RecordPtr> others{other};
  const std::vector<std::int32_t> deleted{101, 102};
  EXPECT_EQ(VlanIdsLeavingTable(deleted, others), leaving101);
  EXPECT_EQ(NewVlanProblem(full, 2, VlanIdsLeavingTable(std::vector<std::int32_t>{102}, others)),
            "ID登録個数オーバーです（VLAN IDの登録可能個数は33です）");
}

TEST(VlanTableEditTest, TableUpdateKeepsIdsOthersUseAndListsThem) {
  ConfigStore config;
  for (const std::int32_t id : {10, 20, 30}) ASSERT_TRUE(config.SetVlanName(id));
  RecordPtr other = EightPorts();
  other->vlanIds[4] = 20;
  const std::vector<RecordPtr> users{EightPorts(), other};

  VlanTableChange change;
  change.names = {{1, "renamed"}, {10, "ten"}, {20, "twenty"}, {30, ""}};
  change.deleted = {30, 20};
  change.added = VlanName{40, ""};
  const VlanTableUpdate update = UpdateVlanTable(config, change, users);
  EXPECT_TRUE(update.ok);
  EXPECT_EQ(update.kept, std::vector<std::int32_t>{20});
  EXPECT_EQ(config.VlanNames(),
            (std::vector<VlanName>{{1, "default"}, {10, "ten"}, {20, "twenty"}, {40, "VLAN40"}}));

  EXPECT_EQ(VlanIdListLines(std::vector<std::int32_t>{20, 7}), std::vector<std::string>{"20, 7"});
}

}  // namespace
}  // namespace ntr
