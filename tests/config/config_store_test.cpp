// The registry: the VLAN-name table's invariants and the stored records.
#include "config/config_store.h"

#include <gtest/gtest.h>

#include "tests/config/registry_support.h"

namespace ntr {
namespace {

using test::MakeRecord;
using test::SwitchMac;

std::vector<std::int32_t> Ids(const ConfigStore& config) {
  std::vector<std::int32_t> ids;
  for (const VlanName& entry : config.VlanNames()) ids.push_back(entry.id);
  return ids;
}

TEST(ConfigStore, ResetLeavesOnlyTheDefaultVlanAndNoRecords) {
  ConfigStore config;
  config.SetWatch(7, 9);
  config.SetVlanName(10, "sales");
  config.AppendStoredRecord(MakeRecord(kModelName8G, 1));
  config.sendLogLine = true;
  config.Reset();
  EXPECT_EQ(config.watchInterval(), 3);
  EXPECT_EQ(config.downCount(), 3);
  EXPECT_EQ(config.VlanNames(), (std::vector<VlanName>{{1, "default"}}));
  EXPECT_EQ(config.StoredCount(), 0u);
  EXPECT_TRUE(config.sendLogLine);  // an application flag, not file data
}

TEST(ConfigStore, VlanNamesStaySortedUniqueAndBounded) {
  ConfigStore config;
  bool renamed = true;
  EXPECT_TRUE(config.SetVlanName(300, "a", &renamed));
  EXPECT_FALSE(renamed);
  EXPECT_TRUE(config.SetVlanName(20, "b"));
  EXPECT_TRUE(config.SetVlanName(5, "c"));
  EXPECT_EQ(Ids(config), (std::vector<std::int32_t>{1, 5, 20, 300}));

  EXPECT_TRUE(config.SetVlanName(20, "again", &renamed));
  EXPECT_TRUE(renamed);
  EXPECT_EQ(Ids(config).size(), 4u);
  EXPECT_EQ(config.GetVlanName(20), "again");
  EXPECT_EQ(config.GetVlanName(21), "");

  EXPECT_FALSE(config.SetVlanName(0, "x"));
  EXPECT_FALSE(config.SetVlanName(4095, "x"));
  for (std::int32_t id = 100; config.VlanNames().size() < 33; ++id) {
    ASSERT_TRUE(config.SetVlanName(id, "n"));
  }
  EXPECT_FALSE(config.SetVlanName(4000, "full"));  // a 34th entry
  EXPECT_TRUE(config.SetVlanName(5, "renaming-still-works"));
}

TEST(ConfigStore, NamesOutsideTheRuleBecomeVlanAndTheId) {
  ConfigStore config;
  config.SetVlanName(7);
  config.SetVlanName(9, "line\nbreak");
  config.SetVlanName(11, std::string(40, 'x'));
  config.SetVlanName(12, std::string(256, 'x'));
  config.SetVlanName(1, "main");
  EXPECT_EQ(
      config.VlanNames(),
      (std::vector<VlanName>{
          {1, "main"}, {7, "VLAN7"}, {9, "VLAN9"}, {11, std::string(32, 'x')}, {12, "VLAN12"}}));
}

TEST(ConfigStore, UnusedNamesAreDroppedAndUsedOnesReported) {
  ConfigStore config;
  for (std::int32_t id : {5, 10, 20}) config.SetVlanName(id);
  const RecordPtr user = MakeRecord(kModelName8G, 1);
  user->vlanIds[9] = 10;
  const std::vector<std::int32_t> ids{1, 5, 10, 20};
  const std::vector<RecordPtr> users{user};
  EXPECT_EQ(config.DropUnusedVlanNames(ids, users), (std::vector<std::int32_t>{10}));
  EXPECT_EQ(Ids(config), (std::vector<std::int32_t>{1, 10}));
}

TEST(ConfigStore, StoredRecordsAreFoundByMacAndReplacedInPlace) {
  ConfigStore config;
  const RecordPtr first = MakeRecord(kModelName8G, 1);
  const RecordPtr second = MakeRecord(kModelName24G, 2);
  config.AppendStoredRecord(first);
  config.AppendStoredRecord(second);
  EXPECT_EQ(config.FindStoredRecord(SwitchMac(2)), second);
  EXPECT_EQ(config.FindStoredRecord(SwitchMac(3)), nullptr);

  const RecordPtr replacement = MakeRecord(kModelName8PoE, 1);
  EXPECT_TRUE(config.ReplaceStoredRecord(first.get(), replacement));
  EXPECT_EQ(config.StoredRecords(), (std::vector<RecordPtr>{replacement, second}));
  EXPECT_FALSE(config.ReplaceStoredRecord(first.get(), replacement));
}

}  // namespace
}  // namespace ntr
