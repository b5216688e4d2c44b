// ntrctl as network engineers use it: files that cannot be applied change
// nothing, Ctrl-C never leaves a switch half written, answers per switch, and
// the commands that look things up (list, keywords, show --all, --json).
#include <signal.h>

#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

using EngineerCommands = E2eTest;

std::size_t Writes(const std::vector<LoggedRequest>& requests) {
  return static_cast<std::size_t>(std::count_if(
      requests.begin(), requests.end(),
      [](const auto& r) { return r.request.starts_with("function set") || r.request == "sync"; }));
}

TEST_F(EngineerCommands, UnusableFilesChangeNothingAndLookUpsNeedNoNetwork) {
  StartSim("switch lab model=NTR7100-8G serial=E2EENG00001\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  const std::string config = ReadFile(bed_->configPath());
  const std::size_t logged = Requests().size();

  const auto file = bed_->work() / "apply.txt";
  constexpr char kBinary[] =
      "\x7f"
      "ELF\x02\x01\x01\x00\xff\xfe\n\x00\x01switch select";
  const std::string binary(kBinary, sizeof kBinary - 1);
  for (const std::string& bytes : {std::string(), binary,
                                   BlockFile("02:5C:71:00:00:99", "OTHER000001", "NTR7100-8G",
                                             {"switch control function set port-use 2 off"})}) {
    WriteFile(file, bytes);
    const RunResult refused = Ntrctl({"apply", SimMac(1), file.string()});
    EXPECT_EXIT_STATUS(refused, 1);
    EXPECT_TRUE(Contains(refused.err, "ファイル内にデータが見つかりません")) << refused.Describe();
  }
  // Rejected lines are listed with their numbers; the good ones are not applied either.
  WriteFile(file, BlockFile(SimMac(1), "E2EENG00001", "NTR7100-8G",
                            {"switch control function set port-use 2 off",
                             "switch control function set port-speed 8 bogus", "frobnicate 1",
                             "switch control function set port-speed 99 auto"}));
  const RunResult rejected = Ntrctl({"apply", SimMac(1), file.string()});
  EXPECT_EXIT_STATUS(rejected, 1);
  for (const char* line :
       {"line 9: switch control function set port-speed 8 bogus (", "line 10: frobnicate 1 (",
        "line 11: switch control function set port-speed 99 auto ("}) {
    EXPECT_TRUE(Contains(rejected.err, line)) << line << "\n" << rejected.Describe();
  }
  EXPECT_EQ(Writes(RequestsSince(logged)), 0u);
  EXPECT_EQ(ReadFile(bed_->configPath()), config);

  // From the file alone, without an adapter.
  const RunResult list = bed_->Ntrctl({"list", "--json"}, 20s, false);
  ASSERT_EXIT_STATUS(list, 0);
  const Json listed = ParseOutput(list);
  ASSERT_EQ(listed["switches"].array().size(), 1u) << list.out;
  EXPECT_EQ(listed["switches"].array()[0]["serial"].str(), "E2EENG00001");
  const RunResult keywords = bed_->Ntrctl({"keywords", "port-speed"}, 20s, false);
  EXPECT_EXIT_STATUS(keywords, 0);
  EXPECT_TRUE(Contains(keywords.out, "port-speed setting PORT auto|10-hdx")) << keywords.out;
  EXPECT_EXIT_STATUS(bed_->Ntrctl({"keywords", "frobnicate"}, 20s, false), 2);
  EXPECT_EXIT_STATUS(Ntrctl({"get", SimMac(1), "frobnicate"}), 2);

  // A refused value names what is allowed; get and set answer in JSON.
  const RunResult range = Ntrctl({"set", SimMac(1), "port-speed", "3", "fast"});
  EXPECT_EXIT_STATUS(range, 1);
  EXPECT_TRUE(Contains(range.err, "port-speed: auto|10-hdx|")) << range.Describe();
  const RunResult set = Ntrctl({"--json", "set", SimMac(1), "port-speed", "3", "100-fdx"});
  ASSERT_EXIT_STATUS(set, 0);
  EXPECT_EQ(ParseOutput(set)["value"].str(), "100-fdx");
  const Json got = ParseOutput(Ntrctl({"get", "--json", SimMac(1), "port-speed", "3"}));
  EXPECT_EQ(got["value"].str(), "100-fdx");
  EXPECT_EQ(got["indexes"].array().size(), 1u);

  // diff: the same, then a drift behind the tool's back; nothing written or saved.
  EXPECT_EXIT_STATUS(Ntrctl({"diff", SimMac(1)}), 0);
  Ctl("drift lab port-use 2 0");
  const std::string saved = ReadFile(bed_->configPath());
  const std::size_t beforeDiff = Requests().size();
  const RunResult differs = Ntrctl({"diff", SimMac(1)});
  EXPECT_EXIT_STATUS(differs, 1);  // the settings-changed question is what diff answers
  EXPECT_TRUE(Contains(differs.out, "\n+switch control function set port-use 2 off\n"))
      << differs.out;
  const Json diffJson = ParseOutput(Ntrctl({"diff", "--json", SimMac(1)}));
  EXPECT_TRUE(std::get<bool>(diffJson["same"].value) == false);
  EXPECT_EQ(Writes(RequestsSince(beforeDiff)), 0u);
  EXPECT_EQ(ReadFile(bed_->configPath()), saved);
  Ctl("drift lab port-use 2 1");

  // The "settings changed" question shows what differs.
  std::string edited = *FromCp932(saved);
  std::erase(edited, '\r');
  const std::string anchor = "switch control function set port-speed 3 100-fdx\n";
  ASSERT_TRUE(Contains(edited, anchor)) << edited;
  edited.replace(edited.find(anchor), anchor.size(),
                 anchor + "switch control function set port-use 5 off\n");
  WriteFile(bed_->configPath(), ToFileBytes(edited));
  const RunResult asked = Ntrctl({"show", SimMac(1)});
  EXPECT_EXIT_STATUS(asked, 3);
  EXPECT_TRUE(Contains(asked.err, "-switch control function set port-use 5 off"))
      << asked.Describe();
  ASSERT_EXIT_STATUS(Ntrctl({"--changed", "tool", "show", SimMac(1)}), 0);

  // show --all has the defaults too.
  const RunResult all = Ntrctl({"show", "--all", SimMac(1)});
  ASSERT_EXIT_STATUS(all, 0);
  EXPECT_TRUE(Contains(all.out, "switch control function set port-speed 1 auto")) << all.out;
  EXPECT_TRUE(Contains(all.out, "switch control function set port-speed 3 100-fdx")) << all.out;
}

TEST_F(EngineerCommands, CtrlCLetsTheBulkWriteFinish) {
  StartSim("switch big model=NTR7100-24G serial=E2EINT00001\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  std::vector<std::string> settings{"switch control function set system-name interrupted"};
  for (int registration = 2; registration <= 100; ++registration) {
    settings.push_back("switch control function set vlan-id " + std::to_string(registration) + " " +
                       std::to_string(1000 + registration));
  }
  const auto file = bed_->work() / "big.txt";
  WriteFile(file, BlockFile(SimMac(1), "E2EINT00001", "NTR7100-24G", settings));
  Ctl("fault big delay 10");

  const std::size_t logged = Requests().size();
  auto apply = bed_->StartNtrctl({"apply", SimMac(1), file.string()});
  ASSERT_NE(apply, nullptr);
  ASSERT_TRUE(WaitUntil(
      [&] {
        const auto since = RequestsSince(logged);
        return Writes(since) >= 20 || apply->ended();
      },
      60s));
  ASSERT_FALSE(apply->ended()) << apply->err();
  apply->Signal(SIGINT);
  const RunResult applied = apply->Wait(240s);
  EXPECT_EXIT_STATUS(applied, 0);
  EXPECT_TRUE(Contains(applied.err, "finishing the write, Ctrl-C again to abandon"))
      << applied.Describe();
  Ctl("fault big clear");
  const ConfigFile config = Config();
  const Block* block = config.Find(SimMac(1));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(SetLines(Dump("big").lines), SetLines(block->lines));
  EXPECT_EQ(SetLines(block->lines), settings);

  // A stopped fan shows in show.
  Ctl("fan big stop");
  const RunResult shown = Ntrctl({"show", SimMac(1)});
  EXPECT_EXIT_STATUS(shown, 0);
  EXPECT_TRUE(Contains(shown.out, "fan: 異常停止！")) << shown.out;
}

TEST_F(EngineerCommands, AnswersPerSwitch) {
  StartSim(
      "switch a model=NTR7100-8G serial=E2EANS00001\n"
      "switch b model=NTR7100-8G serial=E2EANS00002 uplink=a:3\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  ASSERT_EXIT_STATUS(Ntrctl({"set", SimMac(1), "system-name", "core"}), 0);
  ASSERT_EXIT_STATUS(Ntrctl({"set", SimMac(2), "port-use", "6", "off"}), 0);
  Ctl("factory b");  // b comes back in factory state: a question for the tool

  // A question about b does not stop a command on a (named; show's poll
  // outlasts b's identity read, so the question meets the command).
  const RunResult onA = Ntrctl({"show", "core"});
  EXPECT_EXIT_STATUS(onA, 0);
  EXPECT_TRUE(Contains(onA.err, "left alone until answered with --factory")) << onA.Describe();
  EXPECT_EXIT_STATUS(Ntrctl({"get", SimMac(2), "port-use", "6"}), 3);
  // An answer for a only leaves b's question open; one naming b settles it.
  EXPECT_EXIT_STATUS(Ntrctl({"--factory", SimMac(1) + "=no", "get", SimMac(2), "port-use", "6"}),
                     3);
  const RunResult answered =
      Ntrctl({"--factory", "025c71000002=yes", "get", SimMac(2), "port-use", "6"});
  EXPECT_EXIT_STATUS(answered, 0);
  EXPECT_EQ(answered.out, "off\n");
}

}  // namespace
}  // namespace ntr::e2e
