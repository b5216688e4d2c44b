// The application as a read-only monitor against the simulator in process:
// drifted, new and factory-state switches are watched with reads alone, the
// configuration file and the running copy's files stay as they are, and the
// snapshot keeps a lost switch.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/network_snapshot_builder.h"
#include "app/single_instance.h"
#include "base/data_folder.h"
#include "catalogue/function_descriptors.h"
#include "tests/app/app_fixture.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;

class MonitorTest : public test::AppFixture {};

// Discovery, and gets of identity and status items (counters included).
bool ReadOnly(const sim::RequestLogEntry& entry) {
  if (entry.application == PduType::kDiscoveryRequest) return true;
  if (entry.application != PduType::kFuncRequest || entry.function.operation != kOpGet)
    return false;
  const FunctionDescriptor* function = FindFunctionById(entry.function.functionId);
  if (function == nullptr) return false;
  const std::string_view keyword = function->keyword;
  return keyword.starts_with("status-") || keyword == "system-macaddress" ||
         keyword == "firmware-revision" || keyword == "model-name" || keyword == "serial-number";
}

TEST_F(MonitorTest, DriftedNewAndFactorySwitchesAreOnlyReadAndNoFileIsWritten) {
  // A stored record for A (its name and port 3 off) that A no longer holds.
  test::WriteConfig(ConfigFilePath(),
                    test::StoredBlock("switch control function set system-name stored-a\n"
                                      "switch control function set port-use 3 off\n"));
  const std::string file = test::ReadBytes(ConfigFilePath());
  // A running window: its lock taken, a temporary file of its own being written.
  SingleInstance window;
  ErrorPair error;
  ASSERT_TRUE(window.Acquire(kApplicationTitle, error));
  const auto windowTemp = ConfigFilePath().parent_path() / ".config_ntr.txt.Ab12Cd";
  test::WriteBytes(windowTemp, "half a file");

  StartApp(
      "switch A model=NTR7100-8G\nswitch B model=NTR7100-8PoE uplink=A:2\n"
      "switch C model=NTR7100-24G uplink=A:3\n",
      true, true);
  peer_->Control("drift A port-use 5 0");
  peer_->Control("drift B port-use 3 0");
  peer_->Control("factory C");
  ASSERT_TRUE(CycleUntil([&] {
    const auto list = app_->discovery().Switches();
    return list.size() == 3 && std::all_of(list.begin(), list.end(), [](ManagedSwitch* sw) {
             return !sw->heldBack() && sw->settings().pollsDone() > 0;
           });
  }));
  const NetworkSnapshot seen = SnapshotOf(*app_);
  ASSERT_EQ(seen.switches.size(), 3u);
  EXPECT_EQ(seen.switches[0].name, "stored-a");  // the data folder's name
  EXPECT_EQ(seen.switches[1].parentMac, FormatSwitchMac(Mac("A")));
  EXPECT_EQ(seen.switches[1].uplinkPort, 2);
  EXPECT_EQ(seen.switches[1].ports.size(), 8u);
  EXPECT_TRUE(seen.switches[1].ports[0].hasPoe);
  EXPECT_EQ(seen.switches[2].ports.size(), 24u);
  EXPECT_EQ(seen.switches[2].rxCounterWords[0], "packets");

  EXPECT_TRUE(op_.questions().empty());
  std::size_t counters = 0;
  for (const auto& entry : peer_->Log()) {
    EXPECT_TRUE(ReadOnly(entry)) << entry.Format();
    counters +=
        entry.function.functionId == FindFunctionByKeyword("status-counter-octet-tx")->functionId;
  }
  EXPECT_EQ(counters, 8u + 8u + 24u);  // every port of every switch, once
  EXPECT_EQ(test::ReadBytes(ConfigFilePath()), file);
  EXPECT_FALSE(std::filesystem::exists(ConfigFilePath().string() + ".bak"));
  EXPECT_EQ(test::ReadBytes(windowTemp), "half a file");
  EXPECT_EQ(SimSetting("A", [](SwitchRecord& r) { return r.ports[4].use.load(); }), 0);

  // B goes: the snapshot keeps it, down, where it was.
  peer_->Control("remove B");
  ASSERT_TRUE(CycleUntil([&] { return app_->Switches().size() == 2; }));
  const NetworkSnapshot after = SnapshotOf(*app_, seen);
  ASSERT_EQ(after.switches.size(), 3u);
  EXPECT_EQ(after.switches[1].mac, seen.switches[1].mac);
  EXPECT_FALSE(after.switches[1].up);
  EXPECT_TRUE(after.switches[0].up && after.switches[2].up);
}

}  // namespace
}  // namespace ntr
