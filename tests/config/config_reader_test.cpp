// Reading the configuration file: every line kind, the three reasons for a
// rejected line with their error-log entries, normal and import mode,
// filters, the VLAN fix-ups, and input that is not a configuration file.
#include "config/config_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/config/registry_support.h"

namespace ntr {
namespace {

using test::FakeLogs;
using test::SwitchMac;

constexpr const char* kBlock1 =
    "switch select 02:5C:71:00:00:01\n"
    "#switch control function get firmware-revision 1.00 build 7\n"
    "#switch control function get serial-number SN1\n"
    "#switch control function get model-name NTR7100-8G\n";

class ConfigReaderTest : public test::TempHome {
 protected:
  // Reads `text` (written as the file holds it) into `target_`.
  bool Read(const std::string& text, ReadOptions options = {}) {
    const auto path = root_ / "in.txt";
    test::WriteConfig(path, text);
    ErrorPair error;
    return ReadConfigText(host_, target_, path, options, error);
  }
  RecordPtr Only() {
    const auto records = target_.StoredRecords();
    EXPECT_EQ(records.size(), 1u);
    return records.empty() ? nullptr : records.front();
  }

  ConfigStore app_;
  FakeLogs logs_;
  ConfigHost host_{app_, &logs_};
  ConfigStore target_;
};

TEST_F(ConfigReaderTest, CommonLinesActOnTheApplication) {
  ASSERT_TRUE(
      Read("switch control watch interval 5 10\n"
           "switch   control use lan1 on\n"
           "vlan lan1/7 802.1q vid=20 name=sales\n"
           "vlan lan1/1 802.1q vid=30 name=bad\x01name\n"
           "vlan lan1/2 802.1q vid=40 name=" +
           std::string(40, 'n') +
           "\n"
           "vlan lan1/3 802.1q vid=1 name=main\n"
           "#log send on\n#log receive off\n#log clear\n"
           "# any comment\n   \n"));
  EXPECT_EQ(app_.watchInterval(), 5);
  EXPECT_EQ(app_.downCount(), 10);
  EXPECT_EQ(app_.VlanNames(),
            (std::vector<VlanName>{
                {1, "main"}, {20, "sales"}, {30, "VLAN30"}, {40, std::string(32, 'n')}}));
  EXPECT_TRUE(logs_.send);
  EXPECT_FALSE(logs_.receive);
  EXPECT_EQ(logs_.deletions, 1);
  EXPECT_TRUE(app_.sendLogLine && app_.receiveLogLine && app_.clearLogLine);
  EXPECT_EQ(test::ErrorLogText(), "");

  ASSERT_TRUE(Read("switch control watch interval 1 11\n"));
  EXPECT_EQ(app_.watchInterval(), 3);
  EXPECT_EQ(app_.downCount(), 3);
}

TEST_F(ConfigReaderTest, SwitchBlocksFillRecords) {
  ASSERT_TRUE(Read(std::string(kBlock1) +
                   "switch control function set system-name core_1\n"
                   "switch control function set port-speed 3 100-fdx\n"
                   "switch control function set vlan-trunk 2 7 join\n"
                   "switch control function set counter-frame-tx-type 1 3 cfi-drop\n"
                   "switch control function set mirroring-dest 5\n"
                   "switch control function set routebackup-backup-port 4 6\n"
                   "switch control function set qos-policing-speed 2 17 ignored-extra-word\n"
                   "switch select 02:5C:71:00:00:02\n"
                   "#switch control function get model-name NTR7100-24G\n"
                   "#switch control function get system-macaddress 02:5C:71:00:00:0A\n"
                   "switch select 02:5C:71:00:00:03\n"
                   "#switch control function get model-name NTR7100-9X\n"));
  const auto records = target_.StoredRecords();
  ASSERT_EQ(records.size(), 2u);  // the unknown model is dropped
  const SwitchRecord& r = *records[0];
  EXPECT_EQ(r.firmwareRevision.get(), "1.00 build 7");
  EXPECT_EQ(r.serialNumber.get(), "SN1");
  EXPECT_EQ(r.modelCode, kModel8G);
  EXPECT_EQ(r.portCount, 24);  // the counts given to the reader
  EXPECT_EQ(r.systemName.get(), "core_1");
  EXPECT_EQ(r.nameDefaulted, 1);
  EXPECT_EQ(r.ports[2].speed, 5);
  EXPECT_EQ(r.ports[1].trunk[6], 1);
  EXPECT_EQ(r.vlanIds[6], 7);  // a trunk registration still on ID 1 gets its number
  EXPECT_EQ(r.ports[0].txCounterTypes[2], 28);
  EXPECT_EQ(r.mirrorDestination, 4);
  EXPECT_EQ(r.mirrorDefaulted, 1);
  EXPECT_EQ(r.ports[3].backupPort, 5);
  EXPECT_EQ(r.ports[1].policingRate, 17);
  EXPECT_EQ(r.ports[1].policingSelection, 8);  // 17 under the unit 32m
  EXPECT_EQ(records[1]->switchMac.load(), SwitchMac(10));
  EXPECT_EQ(records[1]->macText.get(), "02:5C:71:00:00:0A");
}

struct Rejected {
  const char* line;
  const char* reason;
};

TEST_F(ConfigReaderTest, RejectedLinesAreLoggedWithTheirReason) {
  const Rejected cases[] = {
      {"switch control function set port-usee 3 off", "機能が存在しません"},
      {"switch control function get port-use 3", "機能が存在しません"},
      {"switch control frobnicate", "機能が存在しません"},
      {"vlans lan1/1 802.1q vid=2 name=x", "機能が存在しません"},
      {"switch control function set port-use 3", "パラメータの数が不適当です"},
      {"switch control function set vlan-trunk 1 2", "パラメータの数が不適当です"},
      {"switch control watch interval 3", "パラメータの数が不適当です"},
      {"vlan lan1/1 802.1q vid=2", "パラメータの数が不適当です"},
      {"switch control function set port-use 9 off", "パラメータが不正です"},
      {"switch control function set port-use 3 maybe", "パラメータが不正です"},
      {"switch control function set system-name has-a-\x7f", "パラメータが不正です"},
      {"switch control function set macaddress-aging-timer 9", "パラメータが不正です"},
      {"switch control function set vlan-port-mode 1 ???", "パラメータが不正です"},
      {"switch control function set poe-class 2 class4", "パラメータが不正です"},
      {"switch control function set vlan-id 257 5", "パラメータが不正です"},
      {"switch control function set counter-frame-rx-type 1 4 packets", "パラメータが不正です"},
      {"switch control use lan1 off", "パラメータが不正です"},
      {"vlan lan1/1 802.1q vid=4095 name=x", "パラメータが不正です"},
      {"vlan lan1 802.1q vid=2 name=x", "パラメータが不正です"},
      {"switch select 02:5C:71:00:00", "パラメータが不正です"},
  };
  const ReadOptions eightPorts{nullptr, 8, 3};
  for (const Rejected& c : cases) {
    std::filesystem::remove(ErrorLogPath());
    ASSERT_TRUE(Read(std::string(kBlock1) + c.line + "\n", eightPorts)) << c.line;
    const std::string log = test::ErrorLogText();
    EXPECT_EQ(test::Count(log, "\n\n"), 1u) << c.line << "\n" << log;
    EXPECT_NE(log.find("スイッチ: 02:5C:71:00:00:01\n"), std::string::npos) << c.line;
    EXPECT_NE(log.find(std::string("実行コマンド: ") + c.line + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find(std::string("エラー理由: ") + c.reason + "\n"), std::string::npos) << log;
    const RecordPtr record = Only();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->failures.Copy(), std::vector<std::string>{c.line});
  }
  EXPECT_FALSE(Read(std::string(kBlock1) + "switch control function set port-use 9 off\n",
                    ReadOptions{nullptr, 8, 3, true}));
}

TEST_F(ConfigReaderTest, LinesBeforeAnyBlockDifferBetweenTheModes) {
  const std::string text = "switch control function set port-use 3 off\n" + std::string(kBlock1);
  ASSERT_TRUE(Read(text));
  EXPECT_EQ(test::ErrorLogText(), "");
  EXPECT_FALSE(Read(text, ReadOptions{nullptr, 24, 5, true, ReadMode::kImport}));
  const std::string log = test::ErrorLogText();
  EXPECT_NE(log.find("スイッチ: 共通データ\n"), std::string::npos);
  EXPECT_NE(log.find("エラー理由: パラメータが不正です\n"), std::string::npos);
}

TEST_F(ConfigReaderTest, ImportKeepsOnlyBlocksWithModelAndSerial) {
  const std::string withoutModel =
      "switch select 02:5C:71:00:00:05\n"
      "#switch control function get serial-number SN5\n";
  ASSERT_TRUE(Read(withoutModel + kBlock1));
  EXPECT_EQ(target_.StoredCount(), 1u);
  EXPECT_EQ(test::ErrorLogText(), "");  // dropped silently when reading normally

  const ReadOptions import{nullptr, 24, 5, true, ReadMode::kImport};
  EXPECT_FALSE(Read(withoutModel + kBlock1, import));
  EXPECT_NE(test::ErrorLogText().find("スイッチ: 02:5C:71:00:00:05\n実行コマンド: switch select "
                                      "02:5C:71:00:00:01\n"),
            std::string::npos);
  std::filesystem::remove(ErrorLogPath());
  // The last block without a serial number.
  EXPECT_FALSE(
      Read("switch select 02:5C:71:00:00:06\n"
           "#switch control function get model-name NTR7100-8G\n",
           import));
  EXPECT_NE(test::ErrorLogText().find("スイッチ: 02:5C:71:00:00:06\n"), std::string::npos);
  EXPECT_TRUE(Read(kBlock1, import));
}

TEST_F(ConfigReaderTest, FilterReadsOnlyItsSwitchOntoACopy) {
  SwitchRecord filter = *test::MakeRecord(kModelName8G, 1);
  filter.ports[5].use = 0;
  filter.AddFailure("earlier");
  FilterBlockReport report;
  ReadOptions filtered{&filter, 8, 3};
  filtered.filterReport = &report;

  // Only other switches: one record, a copy of the filter, and no error.
  ASSERT_TRUE(
      Read("switch control watch interval 9 9\n#log clear\n"
           "switch select 02:5C:71:00:00:02\n"
           "switch control function set port-use 30 nonsense\n",
           filtered));
  RecordPtr record = Only();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->ports[5].use, 0);
  EXPECT_TRUE(record->failures.empty());
  EXPECT_EQ(app_.watchInterval(), 3);  // the watch line counts only without a filter
  EXPECT_EQ(logs_.deletions, 0);       // and so does "#log clear" (adoption checks)
  EXPECT_EQ(test::ErrorLogText(), "");
  EXPECT_FALSE(report.found);  // other switches' rejected lines are not its own
  EXPECT_TRUE(report.rejected.empty());

  report = {};
  ASSERT_TRUE(Read(std::string(kBlock1) + "switch control function set vlan-access 2 5\n"
                                          "switch control function set qos-speed-unit 1m\n",
                   filtered));
  record = Only();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->ports[1].accessVlanEntry, 4);
  EXPECT_EQ(record->vlanIds[4], 5);         // the access registration gets its number
  EXPECT_EQ(app_.GetVlanName(5), "VLAN5");  // and the VLAN a name
  EXPECT_EQ(record->portCount, 8);
  EXPECT_EQ(record->failures.Copy(),
            std::vector<std::string>{"switch control function set qos-speed-unit 1m"});
  EXPECT_NE(test::ErrorLogText().find("エラー理由: 機能が存在しません"), std::string::npos);
  // The block's rejected line with its number in the file.
  EXPECT_TRUE(report.found);
  ASSERT_EQ(report.rejected.size(), 1u);
  EXPECT_EQ(report.rejected[0].lineNumber,
            std::count(kBlock1, kBlock1 + std::strlen(kBlock1), '\n') + 2);
  EXPECT_EQ(report.rejected[0].text, "switch control function set qos-speed-unit 1m");
  EXPECT_EQ(report.rejected[0].reason, "機能が存在しません");
}

TEST_F(ConfigReaderTest, FilesThatAreNoConfigurationNeverCrash) {
  ErrorPair error;
  EXPECT_FALSE(ReadConfigText(host_, target_, root_ / "missing.txt", {}, error));
  EXPECT_EQ(error.code, kErrFileOpen);
  EXPECT_EQ(error.detail, (root_ / "missing.txt").string() + ": No such file or directory");
  EXPECT_FALSE(ReadConfigText(host_, target_, root_, {}, error));

  // Binary content: read through, every line that means nothing rejected.
  std::mt19937 random(7);
  std::string binary(64 * 1024, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  test::WriteBytes(root_ / "binary.bin", binary);
  EXPECT_TRUE(ReadConfigText(host_, target_, root_ / "binary.bin", {}, error));

  // UTF-8 Japanese where code page 932 is expected, and a line of a megabyte.
  const std::string wrong = "vlan lan1/1 802.1q vid=9 name=\xE5\x96\xB6\xE6\xA5\xAD\n" +
                            std::string(kBlock1) + "switch control function set system-name " +
                            std::string(1 << 20, 'x') + "\n";
  test::WriteBytes(root_ / "wrong.txt", wrong);
  EXPECT_TRUE(ReadConfigText(host_, target_, root_ / "wrong.txt", {}, error));
  // Those bytes are code page 932 too: the name is what they say there.
  EXPECT_EQ(app_.GetVlanName(9), Cp932ToUtf8Lossy("\xE5\x96\xB6\xE6\xA5\xAD"));
  const RecordPtr record = Only();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->failures.Copy().front().size(), 40u + (1u << 20));
}

}  // namespace
}  // namespace ntr
