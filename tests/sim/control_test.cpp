// The network description and the control commands.
#include <gtest/gtest.h>

#include "config/switch_block_writer.h"
#include "sim/control_commands.h"
#include "tests/sim/sim_harness.h"

namespace ntr::sim::test {
namespace {

TEST(SimDescription, LinesParseIntoEntries) {
  std::vector<DescriptionItem> items;
  std::string error;
  ASSERT_TRUE(ParseDescription(
      "# a comment\n\n"
      "switch core model=NTR7100-24G mac=02:00:00:00:00:0A serial=S9 firmware=2.0 bootrom=0.9 "
      "speed=5 traffic=7 sync-pending=3 prepare-pending=4 restart-ms=250\r\n"
      "switch edge model=NTR7100-8G uplink=core:12 port=8\n"
      "host edge:3 00:AA:00:00:00:03 poe=2 speed=4 traffic=0\n",
      items, error))
      << error;
  ASSERT_EQ(items.size(), 3u);
  const auto& core = std::get<SwitchEntry>(items[0]);
  EXPECT_EQ(core.mac, (MacAddress{0x02, 0, 0, 0, 0, 0x0A}));
  EXPECT_EQ(core.serial, "S9");
  EXPECT_EQ(core.bootRom, "0.9");
  EXPECT_EQ(core.speed, 5);
  EXPECT_EQ(core.syncPending, 3);
  EXPECT_EQ(core.restartMs, 250);
  EXPECT_TRUE(core.parent.empty());
  const auto& edge = std::get<SwitchEntry>(items[1]);
  EXPECT_EQ(edge.parent, "core");
  EXPECT_EQ(edge.parentPort, 12);
  EXPECT_EQ(edge.uplinkPort, 8);
  const auto& host = std::get<HostEntry>(items[2]);
  EXPECT_EQ(host.switchName, "edge");
  EXPECT_EQ(host.poeClass, 2);
  EXPECT_EQ(host.traffic, 0);
}

TEST(SimDescription, MistakesAreNamed) {
  for (const char* text :
       {"switch x\n", "switch model=NTR7100-8G\n", "switch x model=A colour=red\n",
        "switch x model=NTR7100-8G mac=02:00\n", "switch x model=NTR7100-8G speed=7\n",
        "host x:1\n", "host x 00:AA:00:00:00:01\n", "router r\n"}) {
    std::vector<DescriptionItem> items;
    std::string error;
    EXPECT_FALSE(ParseDescription(std::string("# first\n") + text, items, error)) << text;
    EXPECT_TRUE(error.starts_with("line 2: ")) << error;
  }
  Harness h("switch a model=NTR7100-8G\n");
  std::string error;
  SwitchEntry entry;
  entry.name = "b";
  entry.model = "NTR7100-8g";
  EXPECT_FALSE(h.network.AddSwitch(entry, error));
  entry.model = "NTR7100-8G";
  entry.parent = "nobody";
  entry.parentPort = 1;
  EXPECT_FALSE(h.network.AddSwitch(entry, error));
  entry.parent = "a";
  EXPECT_FALSE(h.network.AddSwitch(entry, error));  // a:1 is a's uplink
  entry.parent.clear();
  entry.mac = h.Switch("a").mac();
  EXPECT_FALSE(h.network.AddSwitch(entry, error));  // MAC taken
  entry.mac.reset();
  for (int i = 0; i < 31; ++i) {
    entry.name = "s" + std::to_string(i);
    EXPECT_TRUE(h.network.AddSwitch(entry, error)) << error;
  }
  entry.name = "one-too-many";
  EXPECT_FALSE(h.network.AddSwitch(entry, error));
}

class SimControl : public ::testing::Test {
 protected:
  Harness h{"switch a model=NTR7100-8G serial=A1\nswitch b model=NTR7100-24G uplink=a:2\n"};
  std::string Run(std::string_view line) { return RunControlCommand(h.network, line, h.now); }
};

TEST_F(SimControl, ListAndBlocksEndWithADot) {
  EXPECT_EQ(Run("list"),
            "a 02:5C:71:00:00:01 NTR7100-8G serial=A1 firmware=1.00 uplink=tool port=1 "
            "fingerprint=-1 state=answering\n"
            "b 02:5C:71:00:00:02 NTR7100-24G serial=SIM000002 firmware=1.00 uplink=a:2 port=1 "
            "fingerprint=-1 state=answering\n.\n");
  EXPECT_TRUE(Run("help").ends_with("\n.\n"));
  EXPECT_EQ(Run("log"), ".\n");
  EXPECT_EQ(Run("fingerprint b"), "ok -1\n");
  EXPECT_TRUE(Run("frobnicate").starts_with("error "));
  EXPECT_TRUE(Run("dump nobody").starts_with("error "));
}

TEST_F(SimControl, DriftChangesSettingsBehindTheToolsBack) {
  EXPECT_EQ(Run("drift a port-speed 3 5"), "ok\n");
  EXPECT_EQ(Run("drift a vlan-trunk 2 17 1"), "ok\n");
  EXPECT_EQ(Run("drift a system-name Lab switch"), "ok\n");
  EXPECT_EQ(Run("drift a port-speed 3 9"), "error result 8\n");
  EXPECT_EQ(Run("drift a qos-speed-unit 1"), "error result 6\n");
  EXPECT_TRUE(Run("drift a port-speed 3").starts_with("error "));
  EXPECT_TRUE(Run("drift a status-port-speed 1 5").starts_with("error "));
  const SwitchRecord& record = h.Switch("a").record();
  EXPECT_EQ(record.ports[2].speed, 5);
  EXPECT_EQ(record.ports[1].trunk[16], 1);
  EXPECT_EQ(record.systemName.get(), "Lab switch");
  EXPECT_NE(Run("fingerprint a"), "ok -1\n");
  EXPECT_EQ(Run("drift a port-speed 3 default"), "ok\n");
  EXPECT_EQ(record.ports[2].speed, 1);
  EXPECT_EQ(Run("factory a"), "ok\n");
  EXPECT_EQ(Run("fingerprint a"), "ok -1\n");
}

TEST_F(SimControl, DumpIsTheConfigurationBlock) {
  Run("drift a port-speed 3 5");
  std::string expected;
  ComputeFingerprint(h.Switch("a").record());
  WriteSwitchComment(h.Switch("a").record(), expected);
  WriteSwitchBlock(h.Switch("a").record(), expected);
  const std::string dump = Run("dump a");
  EXPECT_EQ(dump, expected + ".\n");
  EXPECT_NE(dump.find("\nswitch control function set port-speed 3 100-fdx\n"), std::string::npos);
}

TEST_F(SimControl, FaultsAndSettingsAreParsed) {
  EXPECT_EQ(Run("fault a refuse port-speed 1 2"), "ok\n");
  EXPECT_EQ(Run("fault all delay 1500 3"), "ok\n");
  EXPECT_EQ(Run("fault b loss 12.5"), "ok\n");
  EXPECT_TRUE(Run("fault b loss 150").starts_with("error "));
  EXPECT_TRUE(Run("fault b delay soon").starts_with("error "));
  EXPECT_TRUE(Run("fault c clear").starts_with("error "));
  const FaultSettings& faults = h.Switch("a").faults();
  ASSERT_EQ(faults.refusals.size(), 1u);
  EXPECT_EQ(faults.refusals[0].remaining, 2);
  EXPECT_EQ(h.Switch("b").faults().delayed, 3);
  EXPECT_EQ(h.Switch("b").faults().answerLossPercent, 12.5);
  EXPECT_EQ(Run("fault all clear"), "ok\n");
  EXPECT_TRUE(h.Switch("a").faults().refusals.empty());

  EXPECT_EQ(Run("set a sync-pending 4"), "ok\n");
  EXPECT_EQ(Run("set a flash-fail on"), "ok\n");
  EXPECT_EQ(h.Switch("a").syncPending(), 4);
  EXPECT_TRUE(h.Switch("a").firmware().flashFails);
  EXPECT_TRUE(Run("set a colour blue").starts_with("error "));
  EXPECT_TRUE(Run("fan a stop").starts_with("error "));  // the 8G has no fan
  EXPECT_EQ(Run("fan b stop"), "ok\n");
  EXPECT_TRUE(Run("loop a 9 on").starts_with("error "));
}

TEST_F(SimControl, NetworkChangesTakeEffect) {
  EXPECT_EQ(Run("add switch c model=NTR7100-8PoE uplink=b:10"), "ok\n");
  EXPECT_EQ(Run("add host c:4 00:AA:00:00:00:04 poe=1"), "ok\n");
  EXPECT_TRUE(Run("add host c:4 00:AA:00:00:00:05").starts_with("error "));
  EXPECT_EQ(h.Discover().size(), 3u);
  EXPECT_EQ(Run("silence c 1000"), "ok\n");
  EXPECT_EQ(h.Discover().size(), 2u);
  EXPECT_EQ(Run("silence c off"), "ok\n");
  EXPECT_EQ(Run("link b 10 down"), "ok\n");
  EXPECT_EQ(h.Discover().size(), 2u);
  EXPECT_EQ(Run("link c 1 up"), "ok\n");
  EXPECT_EQ(Run("restart c"), "ok\n");
  EXPECT_NE(Run("list").find("state=restarting"), std::string::npos);
  EXPECT_EQ(Run("remove b"), "ok b c\n");
  EXPECT_EQ(h.Discover().size(), 1u);
}

}  // namespace
}  // namespace ntr::sim::test
