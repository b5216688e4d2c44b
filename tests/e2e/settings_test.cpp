// Reading and changing settings through ntrctl, checked against what the
// simulated switches themselves hold (their dump, in the file's grammar).
#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

using Settings = E2eTest;

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The "settings:" section of `show`'s text output, trimmed.
std::vector<std::string> SettingsSection(const std::string& out) {
  std::vector<std::string> lines;
  bool inside = false;
  for (const std::string& line : SplitLines(out)) {
    const std::string trimmed = Trimmed(line);
    if (trimmed == "settings:") {
      inside = true;
    } else if (trimmed == "ports:") {
      inside = false;
    } else if (inside && !trimmed.empty()) {
      lines.push_back(trimmed);
    }
  }
  return lines;
}

std::vector<std::string> JsonLines(const Json& array) {
  std::vector<std::string> lines;
  for (const Json& item : array.array()) lines.push_back(item.str());
  return lines;
}

TEST_F(Settings, ShowPrintsIdentitySettingsAndLivePorts) {
  // The PoE switch hangs with its port 8 on the tool; powered devices on 1
  // (class 4) and 3 (class 2, 100 Mbit/s), a plain host on 5 with a loop.
  StartSim(
      "switch power model=NTR7100-8PoE serial=E2EPOE00001 firmware=1.10 bootrom=0.97 port=8\n"
      "host power:1 00:A0:DE:00:01:01 poe=4\n"
      "host power:3 00:A0:DE:00:01:03 poe=2 speed=5\n"
      "host power:5 00:A0:DE:00:01:05\n");
  Ctl("loop power 5 on");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  ASSERT_EXIT_STATUS(Ntrctl({"set", SimMac(1), "system-name", "poe-lab"}), 0);

  // By system name, text form.
  const RunResult text = Ntrctl({"show", "poe-lab"});
  ASSERT_EXIT_STATUS(text, 0);
  std::map<std::string, std::string> identity;
  for (const std::string& line : SplitLines(text.out)) {
    const auto colon = line.find(": ");
    if (colon != std::string::npos && !line.starts_with(" ") && !line.starts_with("port")) {
      identity[line.substr(0, colon)] = Trimmed(line.substr(colon + 2));
    }
  }
  EXPECT_EQ(Upper(identity["mac"]), SimMac(1)) << text.out;
  EXPECT_EQ(identity["model"], "NTR7100-8PoE");
  EXPECT_EQ(identity["serial"], "E2EPOE00001");
  EXPECT_EQ(identity["firmware"], "1.10");
  EXPECT_EQ(identity["boot-rom"], "0.97");
  EXPECT_EQ(identity["name"], "poe-lab");
  const Block dump = Dump("power");
  std::vector<std::string> settings = SettingsSection(text.out);
  // The section is the switch's block; compare from its select line on.
  const auto select = std::find(settings.begin(), settings.end(), dump.lines.front());
  ASSERT_NE(select, settings.end()) << text.out;
  EXPECT_EQ(std::vector<std::string>(select, settings.end()), dump.lines) << text.out;

  std::map<int, std::string> ports;
  for (const std::string& line : SplitLines(text.out)) {
    const std::string trimmed = Trimmed(line);
    int port = 0;
    if (std::sscanf(trimmed.c_str(), "port %d:", &port) == 1) ports[port] = trimmed;
  }
  ASSERT_EQ(ports.size(), 8u) << text.out;
  EXPECT_EQ(ports[1], "port 1: リンクアップ[1000BASE-T] loop=正常 poe=Class4(30W)給電中");
  EXPECT_EQ(ports[3], "port 3: リンクアップ[100BASE-TX] loop=正常 poe=Class2(7.7W)給電中");
  EXPECT_TRUE(ports[5].starts_with("port 5: リンクアップ[1000BASE-T] loop=ループ発生！ poe="))
      << ports[5];
  EXPECT_TRUE(ports[8].starts_with("port 8: リンクアップ[1000BASE-T] loop=正常 poe=")) << ports[8];
  EXPECT_TRUE(ports[4].starts_with("port 4: リンクダウン ")) << ports[4];
  EXPECT_TRUE(Contains(ports[4], "poe=給電停止(未接続 or 給電開始前など)")) << ports[4];

  // By MAC in lower case, JSON form.
  const Json json = ShowJson("02:5c:71:00:00:01");
  EXPECT_EQ(Upper(json["mac"].str()), SimMac(1));
  EXPECT_EQ(json["model"].str(), "NTR7100-8PoE");
  EXPECT_EQ(json["serial"].str(), "E2EPOE00001");
  EXPECT_EQ(json["firmware"].str(), "1.10");
  EXPECT_EQ(json["bootRom"].str(), "0.97");
  EXPECT_EQ(json["name"].str(), "poe-lab");
  char fingerprint[9];
  std::snprintf(fingerprint, sizeof fingerprint, "%08x", SimFingerprint("power"));
  EXPECT_EQ(json["fingerprint"].str(), fingerprint);
  const auto jsonSettings = JsonLines(json["settings"]);
  EXPECT_EQ(SetLines(jsonSettings), SetLines(dump.lines));
  EXPECT_EQ(GetLines(jsonSettings), GetLines(dump.lines));
  const auto& jsonPorts = json["ports"].array();
  ASSERT_EQ(jsonPorts.size(), 8u);
  const auto port = [&](int n) -> const Json& {
    return jsonPorts[static_cast<std::size_t>(n - 1)];
  };
  EXPECT_EQ(port(1)["port"].number(), 1);
  EXPECT_EQ(port(1)["linkSpeed"].number(), 6);
  EXPECT_EQ(port(1)["link"].str(), "リンクアップ[1000BASE-T]");
  EXPECT_EQ(port(1)["poeState"].number(), 6);
  EXPECT_EQ(port(3)["linkSpeed"].number(), 5);
  EXPECT_EQ(port(3)["poeState"].number(), 4);
  EXPECT_EQ(port(4)["linkSpeed"].number(), 0);
  EXPECT_EQ(port(4)["link"].str(), "リンクダウン");
  EXPECT_EQ(port(5)["loopState"].number(), 1);
  EXPECT_EQ(port(5)["loop"].str(), "ループ発生！");
  EXPECT_EQ(port(8)["loopState"].number(), 0);
  EXPECT_EQ(port(8)["loop"].str(), "正常");
}

struct RoundTrip {
  std::string sw;                      // simulator name
  std::vector<std::string> arguments;  // keyword, indexes, value
  std::string line;                    // the line the switch's dump then holds
};

TEST_F(Settings, SetAndGetRoundTripsReachTheSwitchAndTheFile) {
  StartSim(
      "switch core  model=NTR7100-24G\n"
      "switch edge  model=NTR7100-8G   uplink=core:3\n"
      "switch power model=NTR7100-8PoE uplink=core:4\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  const std::map<std::string, std::string> macs{
      {"core", SimMac(1)}, {"edge", SimMac(2)}, {"power", SimMac(3)}};
  const std::vector<RoundTrip> cases{
      {"core", {"system-name", "office-1"}, "system-name office-1"},
      {"core", {"vlan-id", "2", "100"}, "vlan-id 2 100"},
      {"core", {"vlan-trunk", "1", "2", "join"}, "vlan-trunk 1 2 join"},
      {"core", {"qos-speed-unit", "1m"}, "qos-speed-unit 1m"},
      {"core",
       {"loopdetect-linkdown", "linkdown-recovery"},
       "loopdetect-linkdown linkdown-recovery"},
      {"edge", {"port-speed", "3", "100-fdx"}, "port-speed 3 100-fdx"},
      {"edge", {"port-use", "5", "off"}, "port-use 5 off"},
      {"edge", {"mirroring-dest", "3"}, "mirroring-dest 3"},
      {"edge",
       {"counter-frame-rx-type", "2", "1", "broadcast-packets"},
       "counter-frame-rx-type 2 1 broadcast-packets"},
      {"power", {"poe-class", "1", "class3"}, "poe-class 1 class3"},
      {"power", {"led-brightness", "economy"}, "led-brightness economy"},
  };
  for (const RoundTrip& trip : cases) {
    SCOPED_TRACE(trip.sw + " " + trip.line);
    const std::string mac = macs.at(trip.sw);
    std::vector<std::string> set{"set", mac};
    set.insert(set.end(), trip.arguments.begin(), trip.arguments.end());
    const RunResult done = Ntrctl(set);
    ASSERT_EXIT_STATUS(done, 0);
    const std::string line = "switch control function set " + trip.line;
    const auto switchLines = SetLines(Dump(trip.sw).lines);
    EXPECT_NE(std::find(switchLines.begin(), switchLines.end(), line), switchLines.end())
        << Join(switchLines);
    // Committed: the registry and its file hold it, with the switch's fingerprint.
    const ConfigFile config = Config();
    const Block* block = config.Find(mac);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(SetLines(block->lines), switchLines);
    EXPECT_EQ(block->fingerprint, SimFingerprint(trip.sw));
    // And read back from the switch in the file's words.
    std::vector<std::string> get{"get", mac};
    get.insert(get.end(), trip.arguments.begin(), trip.arguments.end() - 1);
    const RunResult read = Ntrctl(get);
    ASSERT_EXIT_STATUS(read, 0);
    EXPECT_EQ(Trimmed(read.out), trip.arguments.back());
  }

  // A value the switch holds although the tool never set it (a default).
  const RunResult speed = Ntrctl({"get", SimMac(2), "port-speed", "4"});
  EXPECT_EXIT_STATUS(speed, 0);
  EXPECT_EQ(Trimmed(speed.out), "auto");

  // Refused before anything is sent: a port the model lacks, a word the
  // file does not know, a function the model lacks.
  const std::size_t logged = Requests().size();
  const std::vector<std::vector<std::string>> refused{
      {"set", SimMac(2), "port-speed", "9", "auto"},
      {"set", SimMac(2), "port-speed", "3", "fast"},
      {"set", SimMac(2), "qos-speed-unit", "1m"},
      {"set", SimMac(1), "vlan-id", "2", "4095"},
  };
  for (const auto& arguments : refused) {
    const RunResult result = Ntrctl(arguments);
    EXPECT_NE(result.status, 0) << result.Describe();
    EXPECT_TRUE(result.exited()) << result.Describe();
    EXPECT_FALSE(result.err.empty()) << result.Describe();
  }
  for (const LoggedRequest& request : RequestsSince(logged)) {
    EXPECT_FALSE(request.request.starts_with("function set")) << request.line;
  }
  EXPECT_EQ(SetLines(Dump("edge").lines),
            (std::vector<std::string>{
                "switch control function set port-speed 3 100-fdx",
                "switch control function set port-use 5 off",
                "switch control function set mirroring-dest 3",
                "switch control function set counter-frame-rx-type 2 1 broadcast-packets"}));
}

TEST_F(Settings, ASettingChangedBackAndForthInSeparateRunsReachesTheSwitchEachTime) {
  StartSim("switch edge model=NTR7100-8G\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  for (const char* value : {"off", "on", "off", "on", "off"}) {
    SCOPED_TRACE(value);
    const std::size_t logged = Requests().size();
    ASSERT_EXIT_STATUS(Ntrctl({"set", SimMac(1), "port-use", "4", value}), 0);
    for (const LoggedRequest& request : RequestsSince(logged)) {
      EXPECT_FALSE(request.repeat && request.request.starts_with("function set"))
          << "taken for a retransmission of an earlier run's request: " << request.line;
    }
    const auto lines = SetLines(Dump("edge").lines);
    EXPECT_EQ(lines, std::string(value) == "off"
                         ? std::vector<std::string>{"switch control function set port-use 4 off"}
                         : std::vector<std::string>{});
    // The tool and the switch agree: the next run asks nothing.
    EXPECT_EQ(Config().Find(SimMac(1))->fingerprint, SimFingerprint("edge"));
  }
  EXPECT_EXIT_STATUS(Ntrctl({"show", SimMac(1)}), 0);
}

TEST_F(Settings, BulkReadOfEachModelEqualsTheSwitch) {
  StartSim(
      "switch big   model=NTR7100-24G  serial=E2EBULK0024\n"
      "switch small model=NTR7100-8G   serial=E2EBULK0008 uplink=big:2\n"
      "switch poe   model=NTR7100-8PoE serial=E2EBULKPOE1 uplink=big:3\n");
  // Each switch holds settings of its own, of every kind of line.
  Ctls({"drift big system-name bulk-24",
        "drift big port-speed 4 5",
        "drift big port-use 6 0",
        "drift big vlan-id 3 30",
        "drift big vlan-trunk 2 3 1",
        "drift big vlan-port-mode 2 1",
        "drift big vlan-access 7 3",
        "drift big qos-speed-unit 1",
        "drift big qos-policing-use 5 1",
        "drift big qos-policing-speed 5 10",
        "drift big qos-shaping-use 1 1",
        "drift big qos-shaping-speed 1 7",
        "drift big mirroring-use 1",
        "drift big mirroring-dest 12",
        "drift big mirroring-src-rx 3 1",
        "drift big counter-frame-tx-type 4 2 27",
        "drift big loopdetect-count 10",
        "drift big loopdetect-recovery-timer 600",
        "drift big macaddress-aging-timer 900",
        "drift big energy-saving 1",
        "drift big routebackup-backup-port 9 10"});
  Ctls({"drift small system-name bulk-8", "drift small port-flow-control 2 1",
        "drift small vlan-multiple-use 1", "drift small vlan-multiple 3 5 1",
        "drift small qos-dscp-remark-type 4 1", "drift small qos-dscp-remark-class 4 2",
        "drift small loopdetect-linkdown 2", "drift small led-brightness 1",
        "drift small mirroring-dest 3", "drift small macaddress-aging 0"});
  Ctls({"drift poe poe-class 1 4", "drift poe poe-class 2 0", "drift poe port-auto-crossover 5 0",
        "drift poe loopdetect-port-use 6 0", "drift poe counter-frame-rx-type 7 3 3",
        "drift poe vlan-id 10 1000", "drift poe loopdetect-use-control-packet 0",
        "drift poe port-blocking-data-packet 4 1"});

  // "機器": the tool takes each switch's own settings.
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "device", "discover"}), 0);

  for (const auto& [name, mac] : std::vector<std::pair<std::string, std::string>>{
           {"big", SimMac(1)}, {"small", SimMac(2)}, {"poe", SimMac(3)}}) {
    SCOPED_TRACE(name);
    const Block dump = Dump(name);
    ASSERT_GE(SetLines(dump.lines).size(), 8u);
    const std::size_t logged = Requests().size();
    const RunResult text = Ntrctl({"read", mac});
    ASSERT_EXIT_STATUS(text, 0);
    // No progress bar when the output is not a terminal.
    EXPECT_FALSE(Contains(text.out + text.err, "\r")) << text.Describe();
    const std::vector<std::string> section = SettingsSection(text.out);
    EXPECT_EQ(SetLines(section), SetLines(dump.lines)) << text.out;
    EXPECT_EQ(GetLines(section), GetLines(dump.lines)) << text.out;
    // It was read from the switch, in bulk: every setting function asked.
    std::size_t gets = 0;
    for (const LoggedRequest& request : RequestsSince(logged)) {
      gets += request.request.starts_with("function get ") && request.outcome == "0" ? 1 : 0;
    }
    EXPECT_GE(gets, name == "big" ? 7689u : 2500u);
    // The registry's block is the switch's block, fingerprint included.
    const ConfigFile config = Config();
    const Block* block = config.Find(mac);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->lines, dump.lines);
    EXPECT_EQ(block->fingerprint, SimFingerprint(name));
  }

  // The JSON form of a read.
  const RunResult json = Ntrctl({"--json", "read", SimMac(2)});
  ASSERT_EXIT_STATUS(json, 0);
  const Json read = ParseOutput(json);
  EXPECT_EQ(SetLines(JsonLines(read["settings"])), SetLines(Dump("small").lines));
  ASSERT_EQ(read["ports"].array().size(), 8u);
  // The status after a read is the live one: port 1 is small's link to big.
  EXPECT_GT(read["ports"].array()[0]["linkSpeed"].number(), 0) << json.out;
  char fingerprint[9];
  std::snprintf(fingerprint, sizeof fingerprint, "%08x", SimFingerprint("small"));
  EXPECT_EQ(read["fingerprint"].str(), fingerprint);
}

}  // namespace
}  // namespace ntr::e2e
