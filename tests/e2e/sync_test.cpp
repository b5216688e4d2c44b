// Keeping switches and the tool's registry in line: applying a file, export
// and import, drift behind the tool's back and the three adoption questions.
#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

using Sync = E2eTest;

constexpr char kCommon[] = "switch control watch interval 3 3\nswitch control use lan1 on\n";

std::string BlockText(const std::string& mac, const std::string& serial, const std::string& model,
                      const std::vector<std::string>& settings) {
  std::string text = "\nswitch select " + mac + "\n" +
                     "#switch control function get firmware-revision 1.00\n" +
                     "#switch control function get serial-number " + serial + "\n" +
                     "#switch control function get model-name " + model + "\n";
  for (const std::string& setting : settings)
    text += "switch control function set " + setting + "\n";
  return text;
}

std::vector<std::string> Prefixed(const std::vector<std::string>& settings) {
  std::vector<std::string> lines;
  for (const std::string& setting : settings)
    lines.push_back("switch control function set " + setting);
  return lines;
}

bool Logged(const std::vector<LoggedRequest>& requests, const std::string& request,
            const std::string& outcome = "0") {
  for (const LoggedRequest& entry : requests) {
    if (entry.request == request && entry.outcome == outcome) return true;
  }
  return false;
}

std::size_t Writes(const std::vector<LoggedRequest>& requests) {
  std::size_t writes = 0;
  for (const LoggedRequest& entry : requests) {
    writes += entry.request.starts_with("function set") || entry.request == "sync" ? 1 : 0;
  }
  return writes;
}

std::string Hex(std::uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", value);
  return text;
}

TEST_F(Sync, ApplyingAFileSynchronisesTheSwitch) {
  StartSim("switch lab model=NTR7100-8G serial=E2ESYNC0001\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);

  // In the writer's order, so that the switch's dump must equal it.
  const std::vector<std::string> settings{
      "system-name lab-7", "port-speed 2 10-hdx",     "port-use 3 off",
      "vlan-id 2 20",      "vlan-port-mode 4 hybrid", "vlan-trunk 1 2 join",
      "mirroring-use on",  "loopdetect-count 10",     "loopdetect-port-use 7 off"};
  const auto file = bed_->work() / "lab.txt";
  WriteFile(file,
            ToFileBytes(kCommon + BlockText(SimMac(1), "E2ESYNC0001", "NTR7100-8G", settings)));

  const std::size_t logged = Requests().size();
  const RunResult applied = Ntrctl({"apply", SimMac(1), file.string()});
  ASSERT_EXIT_STATUS(applied, 0);
  EXPECT_EQ(SetLines(Dump("lab").lines), Prefixed(settings));
  const auto requests = RequestsSince(logged);
  EXPECT_TRUE(Logged(requests, "sync")) << "no accepted synchronisation";

  // Synchronised: the switch reports the fingerprint of the tool's record.
  const std::uint32_t fingerprint = SimFingerprint("lab");
  EXPECT_NE(fingerprint, 0xFFFFFFFFu);
  const ConfigFile config = Config();
  ASSERT_NE(config.Find(SimMac(1)), nullptr);
  EXPECT_EQ(config.Find(SimMac(1))->fingerprint, fingerprint);
  EXPECT_EQ(SetLines(config.Find(SimMac(1))->lines), Prefixed(settings));
  const Json shown = ShowJson("lab-7");
  EXPECT_EQ(shown["fingerprint"].str(), Hex(fingerprint));

  // Applying the same file again finds nothing to write.
  const std::size_t again = Requests().size();
  ASSERT_EXIT_STATUS(Ntrctl({"apply", SimMac(1), file.string()}), 0);
  EXPECT_EQ(Writes(RequestsSince(again)), 0u);

  // A file that cannot be read is the system's message.
  const RunResult missing = Ntrctl({"apply", SimMac(1), (bed_->work() / "none.txt").string()});
  EXPECT_EXIT_STATUS(missing, 1);
  EXPECT_TRUE(Contains(missing.err, "ファイルがオープンできません。")) << missing.err;
}

TEST_F(Sync, ExportThenImport) {
  StartSim(
      "switch a model=NTR7100-8G serial=E2EEXP00001\n"
      "switch b model=NTR7100-8PoE serial=E2EEXP00002 uplink=a:2\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  ASSERT_EXIT_STATUS(Ntrctl({"set", SimMac(1), "port-use", "4", "off"}), 0);

  // Export: a copy of the file.
  const auto exported = bed_->work() / "exported.txt";
  const RunResult exportRun = Ntrctl({"export", exported.string()});
  ASSERT_EXIT_STATUS(exportRun, 0);
  const std::string registry = ReadFile(bed_->configPath());
  EXPECT_EQ(ReadFile(exported), registry);

  // Importing it back changes nothing.
  ASSERT_EXIT_STATUS(Ntrctl({"import", exported.string()}), 0);
  EXPECT_EQ(ReadFile(bed_->configPath()), registry);

  // A changed copy: one more setting for a, a VLAN name, a switch never seen.
  std::string text = *FromCp932(registry);
  const std::string anchor = "switch control function set port-use 4 off\r\n";
  ASSERT_TRUE(Contains(text, anchor));
  text.replace(text.find(anchor), anchor.size(),
               anchor + "switch control function set loopdetect-count 12\r\n");
  const std::string use = "switch control use lan1 on\r\n";
  text.replace(text.find(use), use.size(), use + "vlan lan1/1 802.1q vid=20 name=office\r\n");
  text += "\r\n" + *FromCp932(ToFileBytes(BlockText("02:5C:71:00:00:55", "NEVERSEEN01",
                                                    "NTR7100-8G", {"port-use 2 off"})));
  const auto changed = bed_->work() / "changed.txt";
  WriteFile(changed, ToFileBytes(text));
  const std::size_t logged = Requests().size();
  const RunResult imported = Ntrctl({"import", changed.string()});
  ASSERT_EXIT_STATUS(imported, 0);
  EXPECT_EQ(Writes(RequestsSince(logged)), 0u) << "an import sends nothing";
  ConfigFile config = Config();
  ASSERT_NE(config.Find(SimMac(1)), nullptr);
  EXPECT_EQ(SetLines(config.Find(SimMac(1))->lines),
            Prefixed({"port-use 4 off", "loopdetect-count 12"}));
  ASSERT_NE(config.Find("02:5C:71:00:00:55"), nullptr);
  EXPECT_EQ(SetLines(config.Find("02:5C:71:00:00:55")->lines), Prefixed({"port-use 2 off"}));
  EXPECT_NE(std::find(config.commonLines.begin(), config.commonLines.end(),
                      "vlan lan1/1 802.1q vid=20 name=office"),
            config.commonLines.end());

  // The managed switch now differs from its stored settings: asked again,
  // and with "ツール" the imported settings reach it.
  const RunResult asked = Ntrctl({"show", SimMac(1)});
  EXPECT_EXIT_STATUS(asked, 3);
  const RunResult tool = Ntrctl({"--changed", "tool", "show", SimMac(1)});
  EXPECT_EXIT_STATUS(tool, 0);
  EXPECT_EQ(SetLines(Dump("a").lines), Prefixed({"port-use 4 off", "loopdetect-count 12"}));
  EXPECT_EQ(Config().Find(SimMac(1))->fingerprint, SimFingerprint("a"));

  // One misspelt keyword: nothing is imported, the reason is in the error log.
  const std::string before = ReadFile(bed_->configPath());
  std::string broken = *FromCp932(before);
  broken.replace(broken.find(anchor), anchor.size(),
                 anchor + "switch control function set port-usse 5 off\r\n");
  const auto brokenPath = bed_->work() / "broken.txt";
  WriteFile(brokenPath, ToFileBytes(broken));
  const RunResult refused = Ntrctl({"import", brokenPath.string()});
  EXPECT_EXIT_STATUS(refused, 1);
  EXPECT_TRUE(Contains(refused.err, "インポートできませんでした。")) << refused.err;
  EXPECT_EQ(ReadFile(bed_->configPath()), before);
  const std::string log = ErrorLog();
  EXPECT_TRUE(Contains(log, "実行コマンド: switch control function set port-usse 5 off")) << log;
  EXPECT_TRUE(Contains(log, "エラー理由: 機能が存在しません")) << log;
}

TEST_F(Sync, DriftIsDetectedAndResolvedByTheChosenPolicy) {
  StartSim("switch d model=NTR7100-8G serial=E2EDRIFT001\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  ASSERT_EXIT_STATUS(Ntrctl({"set", SimMac(1), "port-use", "3", "off"}), 0);
  const std::uint32_t toolFingerprint = SimFingerprint("d");

  // Behind the tool's back: another speed, and the tool's setting undone.
  Ctls({"drift d port-speed 2 5", "drift d port-use 3 1"});
  const Block drifted = Dump("d");
  ASSERT_NE(SimFingerprint("d"), toolFingerprint);
  const std::string registry = ReadFile(bed_->configPath());

  // No policy given: the question, and nothing changes anywhere.
  std::size_t logged = Requests().size();
  const RunResult asked = Ntrctl({"show", SimMac(1)});
  EXPECT_EXIT_STATUS(asked, 3);
  EXPECT_TRUE(Contains(asked.err, "機器(MAC:02:5C:71:00:00:01)の設定内容が変更されています。"))
      << asked.err;
  EXPECT_EQ(Writes(RequestsSince(logged)), 0u);
  EXPECT_EQ(Dump("d").lines, drifted.lines);
  EXPECT_EQ(ReadFile(bed_->configPath()), registry);

  // "ツール": the stored settings are written back.
  logged = Requests().size();
  const RunResult tool = Ntrctl({"--changed", "tool", "show", SimMac(1)});
  EXPECT_EXIT_STATUS(tool, 0);
  EXPECT_TRUE(Logged(RequestsSince(logged), "sync"));
  EXPECT_EQ(SetLines(Dump("d").lines), Prefixed({"port-use 3 off"}));
  EXPECT_EQ(SimFingerprint("d"), toolFingerprint);
  EXPECT_EQ(Config().Find(SimMac(1))->fingerprint, toolFingerprint);

  // Drift again; "機器": the switch's settings are taken, nothing is written.
  Ctls({"drift d loopdetect-count 20"});
  logged = Requests().size();
  const RunResult device = Ntrctl({"--changed", "device", "--json", "show", SimMac(1)});
  EXPECT_EXIT_STATUS(device, 0);
  EXPECT_EQ(Writes(RequestsSince(logged)), 0u);
  const auto expected = Prefixed({"port-use 3 off", "loopdetect-count 20"});
  EXPECT_EQ(SetLines(Dump("d").lines), expected);
  const ConfigFile config = Config();
  EXPECT_EQ(SetLines(config.Find(SimMac(1))->lines), expected);
  EXPECT_EQ(config.Find(SimMac(1))->fingerprint, SimFingerprint("d"));
  std::vector<std::string> shown;
  const Json deviceShown = ParseOutput(device);
  for (const Json& line : deviceShown["settings"].array()) shown.push_back(line.str());
  EXPECT_EQ(SetLines(shown), expected);

  // Settled: the next run asks nothing.
  EXPECT_EXIT_STATUS(Ntrctl({"show", SimMac(1)}), 0);
}

TEST_F(Sync, FactoryStateQuestionAndTheToolsFactoryReset) {
  StartSim("switch f model=NTR7100-8PoE serial=E2EFACT0001\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  ASSERT_EXIT_STATUS(Ntrctl({"set", SimMac(1), "system-name", "keep-me"}), 0);
  const auto named = Prefixed({"system-name keep-me"});

  // The switch was reset to its factory state behind the tool's back.
  Ctl("factory f");
  std::size_t logged = Requests().size();
  const RunResult asked = Ntrctl({"show", SimMac(1)});
  EXPECT_EXIT_STATUS(asked, 3);
  EXPECT_TRUE(Contains(asked.err, "工場出荷状態の機器(MAC:02:5C:71:00:00:01)を検出しました。"))
      << asked.err;
  EXPECT_EQ(Writes(RequestsSince(logged)), 0u);
  EXPECT_EQ(SimFingerprint("f"), 0xFFFFFFFFu);

  // "はい": managed with the tool's values, which are written to it.
  EXPECT_EXIT_STATUS(Ntrctl({"--factory", "yes", "show", SimMac(1)}), 0);
  EXPECT_EQ(SetLines(Dump("f").lines), named);
  EXPECT_EQ(Config().Find(SimMac(1))->fingerprint, SimFingerprint("f"));

  // "いいえ": the tool's record goes back to the defaults.
  Ctl("factory f");
  logged = Requests().size();
  EXPECT_EXIT_STATUS(Ntrctl({"--factory", "no", "show", SimMac(1)}), 0);
  EXPECT_EQ(Writes(RequestsSince(logged)), 0u);
  EXPECT_EQ(SetLines(Config().Find(SimMac(1))->lines).size(), 0u);
  EXPECT_EQ(SimFingerprint("f"), 0xFFFFFFFFu);

  // The tool's factory reset of its record sends nothing.
  ASSERT_EXIT_STATUS(Ntrctl({"set", SimMac(1), "system-name", "keep-me"}), 0);
  logged = Requests().size();
  const RunResult reset = Ntrctl({"factory-reset", SimMac(1)});
  EXPECT_EXIT_STATUS(reset, 0);
  EXPECT_EQ(Writes(RequestsSince(logged)), 0u);
  EXPECT_EQ(SetLines(Config().Find(SimMac(1))->lines).size(), 0u);
  EXPECT_EQ(SetLines(Dump("f").lines), named);
}

}  // namespace
}  // namespace ntr::e2e
