// ntrctl vlan: VLANs by VLAN ID, mapped to the switches' slots as the window's
// VLAN screens map them, with their checks and messages and the file saved.
#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

using VlanCommands = E2eTest;

bool HasLine(const Block& block, const std::string& line) {
  return std::find(block.lines.begin(), block.lines.end(), line) != block.lines.end();
}

TEST_F(VlanCommands, ByVlanIdAsTheScreensDoIt) {
  StartSim(
      "switch a model=NTR7100-8G serial=E2EVLAN0001\n"
      "switch b model=NTR7100-8G serial=E2EVLAN0002 uplink=a:3\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);

  // The table of names: the screen's checks and messages.
  ASSERT_EXIT_STATUS(Ntrctl({"vlan", "add", SimMac(1), "100", "Sales"}), 0);
  ASSERT_EXIT_STATUS(Ntrctl({"vlan", "add", SimMac(1), "300"}), 0);
  const RunResult low = Ntrctl({"vlan", "add", SimMac(1), "1"});
  EXPECT_EXIT_STATUS(low, 1);
  EXPECT_TRUE(
      Contains(low.err, "パラメータが不正です。 IDが範囲外です（VLAN IDの範囲は2～4094です）"))
      << low.Describe();
  const RunResult twice = Ntrctl({"vlan", "add", SimMac(1), "100"});
  EXPECT_EXIT_STATUS(twice, 1);
  EXPECT_TRUE(Contains(twice.err, "VLAN ID 100 は　すでに登録されています。")) << twice.Describe();
  EXPECT_EXIT_STATUS(Ntrctl({"vlan", "access", SimMac(1), "4", "999"}), 1);  // not in the table
  EXPECT_EXIT_STATUS(Ntrctl({"vlan", "access", SimMac(1), "9", "100"}), 1);  // no port 9

  // VLAN 100 lands in slot 100 (ID - 1, free; the file leaves out an entry
  // holding its own number); 300 in the first free slot.
  const RunResult access = Ntrctl({"vlan", "access", SimMac(1), "4", "100"});
  ASSERT_EXIT_STATUS(access, 0);
  EXPECT_TRUE(Contains(access.out, "タグVLAN の設定は正常に反映されました。")) << access.Describe();
  ASSERT_EXIT_STATUS(Ntrctl({"vlan", "mode", SimMac(1), "5", "trunk"}), 0);
  ASSERT_EXIT_STATUS(Ntrctl({"vlan", "trunk", SimMac(1), "5", "join", "300", "100"}), 0);
  const Block a = Dump("a");
  for (const char* line : {"switch control function set vlan-access 4 100",
                           "switch control function set vlan-id 2 300",
                           "switch control function set vlan-port-mode 5 trunk",
                           "switch control function set vlan-trunk 5 2 join"}) {
    EXPECT_TRUE(HasLine(a, line)) << line << "\n" << Join(a.lines);
  }
  EXPECT_EQ(SetLines(a.lines), SetLines(Config().Find(SimMac(1))->lines));

  const RunResult listed = Ntrctl({"--json", "vlan", "list", SimMac(1)});
  ASSERT_EXIT_STATUS(listed, 0);
  std::map<int, const Json*> byId;
  const Json list = ParseOutput(listed);
  for (const Json& vlan : list["vlans"].array())
    byId[static_cast<int>(vlan["id"].number())] = &vlan;
  ASSERT_TRUE(byId.count(100) && byId.count(300) && byId.count(1)) << listed.out;
  EXPECT_EQ((*byId[100])["name"].str(), "Sales");
  EXPECT_EQ((*byId[100])["slot"].number(), 100);
  EXPECT_EQ((*byId[100])["access"].array().size(), 1u);
  EXPECT_EQ((*byId[300])["slot"].number(), 2);
  EXPECT_EQ((*byId[300])["trunk"].array().at(0).number(), 5);
  EXPECT_TRUE(Contains(Ntrctl({"vlan", "list", SimMac(1)}).out,
                       "100 name=Sales slot=100 access=4 trunk=5\n"));

  // A port with a neighbouring device is no trunk port: nothing is sent.
  const std::size_t logged = Requests().size();
  const RunResult neighbour = Ntrctl({"vlan", "mode", SimMac(1), "3", "trunk"});
  EXPECT_EXIT_STATUS(neighbour, 1);
  EXPECT_TRUE(Contains(
      neighbour.err,
      "タグVLANの設定に失敗しました。 隣接機器接続ポートはトランクポートに設定できません。"))
      << neighbour.Describe();
  for (const LoggedRequest& r : RequestsSince(logged))
    EXPECT_FALSE(r.request.starts_with("function set")) << r.line;

  // Deleting: off this switch; a name another switch uses stays and is listed.
  ASSERT_EXIT_STATUS(Ntrctl({"vlan", "access", SimMac(2), "2", "100"}), 0);
  const RunResult kept = Ntrctl({"vlan", "delete", SimMac(1), "100", "300"});
  ASSERT_EXIT_STATUS(kept, 0);
  EXPECT_TRUE(Contains(
      kept.out, "他のスイッチにVLANの設定があるため、以下のVLAN IDは削除されませんでした。\n100\n"))
      << kept.Describe();
  const Block after = Dump("a");
  for (const std::string& line : SetLines(after.lines)) {
    EXPECT_FALSE(Contains(line, "vlan-id") || Contains(line, "vlan-access") ||
                 Contains(line, "vlan-trunk"))
        << line;
  }
  ASSERT_EXIT_STATUS(Ntrctl({"vlan", "rename", SimMac(1), "100", "Eng"}), 0);
  const std::string common = Join(Config().commonLines);
  EXPECT_TRUE(Contains(common, "vid=100 name=Eng")) << common;
  EXPECT_FALSE(Contains(common, "vid=300")) << common;

  // The raw keywords say they take slots.
  const RunResult keyword = bed_->Ntrctl({"keywords", "vlan-access"}, 20s, false);
  EXPECT_TRUE(Contains(keyword.out, "slot number, not a VLAN ID: see ntrctl vlan")) << keyword.out;
}

}  // namespace
}  // namespace ntr::e2e
