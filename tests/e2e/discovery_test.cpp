// Discovery through ntrctl: the tree of all three models, the new-switch
// question, adapters, usage and the single-instance rule.
#include <signal.h>

#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

// core (24G) on the tool's port; edge (8G) on core:3; power (8PoE) hangs with
// its port 8 on edge:8; side (8G) hangs with its port 2 on core:5.
constexpr char kTree[] =
    "switch core  model=NTR7100-24G  serial=E2E24G00001\n"
    "switch edge  model=NTR7100-8G   serial=E2E8G000002 uplink=core:3\n"
    "switch power model=NTR7100-8PoE serial=E2EPOE00003 firmware=1.02 uplink=edge:8 port=8\n"
    "switch side  model=NTR7100-8G   serial=E2E8G000004 uplink=core:5 port=2\n"
    "host edge:2 00:A0:DE:00:00:02\n"
    "host power:1 00:A0:DE:00:01:01 poe=4\n";

struct Expected {
  std::string mac, model, serial, firmware, parent;
  int uplinkPort;
};

const std::vector<Expected>& TreeSwitches() {
  static const std::vector<Expected> switches{
      {SimMac(1), "NTR7100-24G", "E2E24G00001", "1.00", "", 1},
      {SimMac(2), "NTR7100-8G", "E2E8G000002", "1.00", SimMac(1), 1},
      {SimMac(3), "NTR7100-8PoE", "E2EPOE00003", "1.02", SimMac(2), 8},
      {SimMac(4), "NTR7100-8G", "E2E8G000004", "1.00", SimMac(1), 2},
  };
  return switches;
}

std::size_t Indent(const std::string& line) { return line.find_first_not_of(' '); }

using Discovery = E2eTest;

TEST_F(Discovery, FindsATreeOfAllThreeModels) {
  StartSim(kTree);
  // One switch holds settings of its own before the tool first sees it.
  Ctl("drift edge system-name edge-1");

  // The JSON form, answering "機器" for every new switch.
  const RunResult first = Ntrctl({"--new", "device", "--json", "discover"});
  ASSERT_EXIT_STATUS(first, 0);
  const Json tree = ParseOutput(first);
  const auto& listed = tree["switches"].array();
  ASSERT_EQ(listed.size(), TreeSwitches().size()) << first.out;
  for (const Expected& expected : TreeSwitches()) {
    SCOPED_TRACE(expected.mac);
    const Json* found = nullptr;
    for (const Json& sw : listed) {
      if (Upper(sw["mac"].str()) == expected.mac) found = &sw;
    }
    ASSERT_NE(found, nullptr) << first.out;
    EXPECT_EQ((*found)["model"].str(), expected.model);
    EXPECT_EQ((*found)["serial"].str(), expected.serial);
    EXPECT_EQ((*found)["firmware"].str(), expected.firmware);
    if (expected.parent.empty()) {
      EXPECT_TRUE((*found)["parent"].isNull()) << first.out;
    } else {
      EXPECT_EQ(Upper((*found)["parent"].str()), expected.parent);
    }
    EXPECT_EQ((*found)["uplinkPort"].number(), expected.uplinkPort)
        << "uplinkPort: the switch's own port towards its parent, 1-based";
    EXPECT_TRUE((*found)["name"].isString());
  }
  for (const Json& sw : listed) {
    if (Upper(sw["mac"].str()) == SimMac(2)) {
      EXPECT_EQ(sw["name"].str(), "edge-1");
    }
  }

  // The registry holds every switch, with the settings the switch had.
  const ConfigFile config = Config();
  for (const Expected& expected : TreeSwitches()) {
    const Block* block = config.Find(expected.mac);
    ASSERT_NE(block, nullptr) << expected.mac;
    EXPECT_EQ(GetLines(block->lines),
              (std::vector<std::string>{
                  "#switch control function get firmware-revision " + expected.firmware,
                  "#switch control function get serial-number " + expected.serial,
                  "#switch control function get model-name " + expected.model}));
    EXPECT_EQ(SetLines(block->lines), SetLines(Dump(expected.mac).lines)) << expected.mac;
  }
  EXPECT_EQ(SetLines(config.Find(SimMac(2))->lines),
            std::vector<std::string>{"switch control function set system-name edge-1"});

  // The text form of a known network: no question, one line per switch,
  // children below their parents and indented one step further.
  const RunResult second = Ntrctl({"discover"});
  ASSERT_EXIT_STATUS(second, 0);
  std::vector<std::string> lines;
  for (const std::string& line : SplitLines(second.out)) {
    if (!Words(line).empty()) lines.push_back(line);
  }
  ASSERT_EQ(lines.size(), TreeSwitches().size()) << second.out;
  std::map<std::string, std::size_t> row, depth;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto words = Words(lines[i]);
    ASSERT_GE(words.size(), 5u) << lines[i];
    row[Upper(words[0])] = i;
    depth[Upper(words[0])] = Indent(lines[i]);
  }
  for (const Expected& expected : TreeSwitches()) {
    SCOPED_TRACE(expected.mac);
    ASSERT_EQ(row.count(expected.mac), 1u) << second.out;
    const auto words = Words(lines[row[expected.mac]]);
    EXPECT_EQ(words[1], expected.model);
    EXPECT_EQ(words[2], "serial=" + expected.serial);
    EXPECT_EQ(words[3], "firmware=" + expected.firmware);
    EXPECT_TRUE(words[4].starts_with("name="));
    if (expected.parent.empty()) {
      EXPECT_EQ(depth[expected.mac], 0u);
    } else {
      EXPECT_GT(row[expected.mac], row[expected.parent]);
      EXPECT_GT(depth[expected.mac], depth[expected.parent]);
      // Between a parent and its child only deeper lines (the parent's subtree).
      for (std::size_t i = row[expected.parent] + 1; i < row[expected.mac]; ++i) {
        EXPECT_GT(Indent(lines[i]), depth[expected.parent]) << second.out;
      }
    }
  }
  EXPECT_EQ(depth[SimMac(2)], depth[SimMac(4)]);  // both hang on core
  EXPECT_TRUE(Contains(lines[row[SimMac(2)]], "name=edge-1")) << second.out;
}

TEST_F(Discovery, NewSwitchQuestionWithoutAnAnswerExitsThreeAndChangesNothing) {
  StartSim("switch solo model=NTR7100-8G\n");
  Ctl("drift solo port-use 2 0");
  const Block before = Dump("solo");
  const std::uint32_t fingerprint = SimFingerprint("solo");

  const RunResult asked = Ntrctl({"discover"});
  EXPECT_EXIT_STATUS(asked, 3);
  EXPECT_TRUE(Contains(asked.err, "新しい機器(MAC:02:5C:71:00:00:01)を検出しました。"))
      << asked.err;
  // Nothing written to the switch, no synchronisation asked for.
  for (const LoggedRequest& request : Requests()) {
    EXPECT_FALSE(request.request.starts_with("function set")) << request.line;
    EXPECT_NE(request.request, "sync") << request.line;
  }
  EXPECT_EQ(Dump("solo").lines, before.lines);
  EXPECT_EQ(SimFingerprint("solo"), fingerprint);
  if (std::filesystem::exists(bed_->configPath())) {
    const ConfigFile config = Config();
    if (const Block* block = config.Find(SimMac(1))) {
      EXPECT_EQ(SetLines(block->lines).size(), 0u);
    }
  }

  // "工場出荷": the tool's (default) settings are written to the switch.
  const RunResult factory = Ntrctl({"--new", "factory", "discover"});
  EXPECT_EXIT_STATUS(factory, 0);
  EXPECT_EQ(SimFingerprint("solo"), 0xFFFFFFFFu);
  EXPECT_EQ(SetLines(Dump("solo").lines).size(), 0u);
  bool synchronised = false;
  for (const LoggedRequest& request : Requests()) synchronised |= request.request == "sync";
  EXPECT_TRUE(synchronised);
  const ConfigFile config = Config();
  ASSERT_NE(config.Find(SimMac(1)), nullptr);
  EXPECT_EQ(config.Find(SimMac(1))->fingerprint, 0xFFFFFFFFu);
}

TEST_F(Discovery, AdaptersUsageAndOneCopyAtATime) {
  StartSim("switch solo model=NTR7100-8G\n");
  std::string link;
  ASSERT_TRUE(testing::RunProgram(
      {"ip", "-n", bed_->toolNamespace(), "-o", "link", "show", bed_->toolInterface()}, &link));
  const auto words = Words(link);
  const auto ether = std::find(words.begin(), words.end(), "link/ether");
  ASSERT_NE(ether, words.end()) << link;
  const std::string mac = Upper(*(ether + 1));
  const auto sameMac = [&](std::string text) {
    std::replace(text.begin(), text.end(), '-', ':');
    return Upper(text) == mac;
  };

  // The only usable adapter is the veth end.
  const RunResult adapters = bed_->Ntrctl({"adapters"}, 60s, false);
  ASSERT_EXIT_STATUS(adapters, 0);
  EXPECT_TRUE(Contains(adapters.out, bed_->toolInterface())) << adapters.out;
  const RunResult json = bed_->Ntrctl({"--json", "adapters"}, 60s, false);
  ASSERT_EXIT_STATUS(json, 0);
  const Json adapterList = ParseOutput(json);
  const auto& listed = adapterList["adapters"].array();
  ASSERT_EQ(listed.size(), 1u) << json.out;
  EXPECT_EQ(listed[0]["name"].str(), bed_->toolInterface());
  EXPECT_TRUE(sameMac(listed[0]["mac"].str())) << listed[0]["mac"].str() << " vs " << mac;
  EXPECT_TRUE(listed[0]["address"].isString() || listed[0]["address"].isNull());

  // Without --adapter the only one is taken.
  const RunResult found = bed_->Ntrctl({"--new", "factory", "discover"}, 120s, false);
  EXPECT_EXIT_STATUS(found, 0);
  EXPECT_TRUE(Contains(Upper(found.out), SimMac(1))) << found.out;

  // An adapter that does not exist is a failure with a message.
  const RunResult missing = Ntrctl({"--adapter", "nosuch0", "discover"});
  EXPECT_EXIT_STATUS(missing, 1);
  EXPECT_FALSE(missing.err.empty());

  // Usage.
  const RunResult help = bed_->Ntrctl({"--help"}, 30s, false);
  EXPECT_EXIT_STATUS(help, 0);
  for (const char* command : {"adapters", "discover", "show", "get", "set", "read", "apply",
                              "export", "import", "firmware", "restart", "clear-counters",
                              "restart-poe", "factory-reset", "list", "keywords", "diff"}) {
    EXPECT_TRUE(Contains(help.out, command)) << command;
  }
  EXPECT_EXIT_STATUS(Ntrctl({"frobnicate"}), 2);
  EXPECT_EXIT_STATUS(Ntrctl({"--new", "maybe", "discover"}), 2);
  EXPECT_EXIT_STATUS(Ntrctl({"get"}), 2);
  EXPECT_EXIT_STATUS(Ntrctl({"--timeout", "soon", "discover"}), 2);

  // A switch that is not there: status 5 after the time-out. While that copy
  // waits, a second one refuses to run.
  const std::size_t logged = Requests().size();
  auto waiting = bed_->StartNtrctl({"--timeout", "8", "show", "02:5C:71:00:00:7F"});
  ASSERT_NE(waiting, nullptr);
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (const LoggedRequest& request : RequestsSince(logged)) {
          if (request.request == "discovery") return true;
        }
        return waiting->ended();
      },
      30s));
  ASSERT_FALSE(waiting->ended()) << waiting->err();
  const RunResult second = Ntrctl({"discover"});
  EXPECT_EXIT_STATUS(second, 4);
  const RunResult notFound = waiting->Wait(60s);
  EXPECT_EXIT_STATUS(notFound, 5);

  // Switches named in other accepted forms: lower case with '-'.
  const RunResult byLowerCase = Ntrctl({"show", "02-5c-71-00-00-01"});
  EXPECT_EXIT_STATUS(byLowerCase, 0);

  // With two usable adapters and none named, ntrctl lists them and fails.
  std::string error;
  const std::string secondAdapter = bed_->AddToolAdapter(error);
  ASSERT_NE(secondAdapter, "") << error;
  const RunResult ambiguous = bed_->Ntrctl({"discover"}, 60s, false);
  EXPECT_EXIT_STATUS(ambiguous, 1);
  EXPECT_TRUE(Contains(ambiguous.out + ambiguous.err, bed_->toolInterface()))
      << ambiguous.Describe();
  EXPECT_TRUE(Contains(ambiguous.out + ambiguous.err, secondAdapter)) << ambiguous.Describe();
  // Naming one of them works.
  EXPECT_EXIT_STATUS(Ntrctl({"discover"}), 0);
}

}  // namespace
}  // namespace ntr::e2e
