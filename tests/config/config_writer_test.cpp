// The configuration file as written: its exact bytes, its common lines, the
// per-model defaults, the round trip through the reader, and the guarantee
// that a failed write leaves the previous file whole.
#include "config/config_writer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "config/config_reader.h"
#include "tests/config/registry_support.h"

namespace ntr {
namespace {

using test::FakeLogs;
using test::MakeRecord;

class ConfigWriterTest : public test::TempHome {};

// The fingerprint of an 8-port record whose only difference is port 3 off.
std::uint32_t PortThreeOffFingerprint() {
  const std::uint8_t bytes[] = {0x02, 0x02, 0, 0, 0, 3, 0, 0, 0, 0};
  return FingerprintCrc(0xFFFFFFFFu, bytes, sizeof bytes);
}

TEST_F(ConfigWriterTest, ExampleFileByteForByte) {
  ConfigStore config;
  config.SetVlanName(10, "sales");
  const RecordPtr record = MakeRecord(kModelName8G, 1);
  record->ports[2].use = 0;
  config.AppendStoredRecord(record);

  char fingerprint[16];
  std::snprintf(fingerprint, sizeof fingerprint, "#[%08x]\r\n", PortThreeOffFingerprint());
  const std::string expected = std::string(
                                   "switch control watch interval 3 3\r\n"
                                   "switch control use lan1 on\r\n"
                                   "vlan lan1/1 802.1q vid=10 name=sales\r\n"
                                   "\r\n"
                                   "#\r\n"
                                   "#02:5C:71:00:00:01\r\n"
                                   "#SIM000001\r\n") +
                               fingerprint +
                               "#\r\n"
                               "\r\n"
                               "switch select 02:5C:71:00:00:01\r\n"
                               "#switch control function get firmware-revision 1.00\r\n"
                               "#switch control function get serial-number SIM000001\r\n"
                               "#switch control function get model-name NTR7100-8G\r\n"
                               "switch control function set port-use 3 off\r\n";

  ErrorPair error;
  ASSERT_TRUE(SaveConfigFile(config, nullptr, error));
  EXPECT_EQ(test::ReadBytes(ConfigFilePath()), expected);
}

TEST_F(ConfigWriterTest, DefaultsGiveOnlyIdentityPerSwitchWhateverTheModel) {
  ConfigStore config;
  for (auto [model, last] : {std::pair{kModelName8G, 1}, {kModelName24G, 2}, {kModelName8PoE, 3}}) {
    // As read from a file: model known, fix-up not run yet (destination 7
    // until it runs, even on the 24-port model).
    auto record =
        std::make_shared<SwitchRecord>(*MakeRecord(model, static_cast<std::uint8_t>(last)));
    record->mirrorDefaulted = 0;
    record->nameDefaulted = 0;
    record->mirrorDestination = 7;
    config.AppendStoredRecord(record);
  }
  const std::string text = FormatConfigText(config, nullptr);
  EXPECT_EQ(test::Count(text, "\n"), 2u + 3u * 11u) << text;
  EXPECT_EQ(test::Count(text, "function set"), 0u) << text;
  EXPECT_EQ(test::Count(text, "#[ffffffff]"), 3u) << text;
}

TEST_F(ConfigWriterTest, CommonLinesFollowTheTableAndTheLastFileRead) {
  ConfigStore config;
  FakeLogs logs;
  EXPECT_EQ(FormatConfigText(config, &logs),
            "switch control watch interval 3 3\nswitch control use lan1 on\n");

  config.SetWatch(5, 10);
  config.SetVlanName(1, "main");  // entry 0 renamed: written at position 0
  config.SetVlanName(300, "b");
  config.SetVlanName(20, "a");
  config.sendLogLine = true;
  config.clearLogLine = true;
  logs.send = true;
  EXPECT_EQ(FormatConfigText(config, &logs),
            "switch control watch interval 5 10\n"
            "switch control use lan1 on\n"
            "vlan lan1/0 802.1q vid=1 name=main\n"
            "vlan lan1/1 802.1q vid=20 name=a\n"
            "vlan lan1/2 802.1q vid=300 name=b\n"
            "#log send on\n"
            "#log clear\n");

  // A record of no known model keeps only its empty line.
  config.Reset();
  config.AppendStoredRecord(std::make_shared<SwitchRecord>());
  EXPECT_EQ(FormatConfigText(config, &logs),
            "switch control watch interval 3 3\nswitch control use lan1 on\n"
            "#log send on\n#log clear\n\n");
}

TEST_F(ConfigWriterTest, FixUpRunsBeforeWritingAndBandwidthFollowsTheMark) {
  ConfigStore config;
  const RecordPtr record = MakeRecord(kModelName8G, 1);
  record->mirrorDestination = 11;  // beyond the 8 ports: reported and reset
  record->ports[0].policingUse = 1;
  config.AppendStoredRecord(record);
  std::string text = FormatConfigText(config, nullptr);
  EXPECT_EQ(test::Count(text, "mirroring-dest"), 0u);
  EXPECT_EQ(record->failures.Copy(),
            std::vector<std::string>{"switch control function set mirroring-dest 12"});
  EXPECT_EQ(test::Count(text, "qos-policing-use 1 on"), 1u);

  record->modelChecked = 1;
  text = FormatConfigText(config, nullptr);
  EXPECT_EQ(test::Count(text, "qos-policing-use"), 0u);
}

TEST_F(ConfigWriterTest, TextsFromASwitchCannotAddLines) {
  ConfigStore config;
  const RecordPtr record = MakeRecord(kModelName8G, 1);
  record->firmwareRevision = "1.0\nswitch select 02:5C:71:00:00:09";
  record->systemName = "evil\r\nswitch control watch interval 9 9";
  record->serialNumber = "S\n1";
  config.AppendStoredRecord(record);
  const std::string text = FormatConfigText(config, nullptr);
  EXPECT_EQ(test::Count(text, "\nswitch select"), 1u) << text;
  EXPECT_EQ(test::Count(text, "\nswitch control watch"), 0u) << text;
  EXPECT_EQ(test::Count(text, "firmware-revision 1.0?switch select"), 1u) << text;
  EXPECT_EQ(test::Count(text, "\r"), 0u);
}

// Records of each model with many settings away from their defaults.
RecordPtr RichRecord(std::string_view model, std::uint8_t last) {
  RecordPtr r = MakeRecord(model, last);
  r->firmwareRevision = "2.10 build 3";
  r->systemName = "core-" + std::to_string(last);
  r->energySaving = 1;
  r->ledBrightness = 1;
  r->macAgeing = 0;
  r->macAgeingTime = 600;
  r->vlanIds[9] = 100;
  r->vlanIds[4] = 5;
  r->multipleVlanUse = 1;
  r->mirroringUse = 1;
  r->mirrorDestination = 2;
  r->loopCount = 10;
  r->loopDetectionTime = 5;
  r->loopLinkDown = 2;
  r->loopControlPackets = 0;
  r->loopRecoveryTime = 60;
  const int ports = r->portCount;
  for (int p = 0; p < ports; p += 3) {
    PortSettings& s = r->ports[p];
    s.speed = 5;
    s.use = 0;
    s.autoCrossover = 0;
    s.flowControl = 1;
    s.blockDataPackets = 1;
    s.vlanMode = 1;
    s.accessVlanEntry = 9;
    s.trunk[4] = 1;
    s.multiple[1] = 1;
    s.dscpRemarkType = 2;
    s.dscpRemarkClass = 3;
    s.mirrorRx = 1;
    s.loopDetect = 0;
    s.rxCounterTypes[1] = 25;
    s.txCounterTypes[2] = 28;
    s.backupPort = (p + 1) % ports;
    if (model == kModelName24G) {
      s.policingUse = 1;
      s.policingRate = 17;
      s.shapingUse = 1;
      s.shapingRate = 30;
    }
    if (model == kModelName8PoE) s.poeClass = p % 2 == 0 ? kPoeClass3 : kPoeClassNone;
  }
  if (model == kModelName24G) r->qosSpeedUnit = 2;
  return r;
}

TEST_F(ConfigWriterTest, WriteReadWriteGivesTheSameBytes) {
  ConfigStore config;
  config.SetWatch(4, 6);
  config.SetVlanName(100, "office");
  config.SetVlanName(5, "lab_5");
  config.SetVlanName(7, "営業部");
  config.SetVlanName(8, "〜wave$!");  // kept as code page 932 gives it back
  config.receiveLogLine = true;
  config.AppendStoredRecord(RichRecord(kModelName8G, 1));
  config.AppendStoredRecord(RichRecord(kModelName24G, 2));
  config.AppendStoredRecord(RichRecord(kModelName8PoE, 3));
  // Names the setters accept, and registration 1 with another ID.
  const auto records = config.StoredRecords();
  records[0]->systemName = "事務所-2";
  records[1]->systemName = " office  #2 ";
  records[2]->vlanIds[0] = 7;
  ErrorPair error;
  ASSERT_TRUE(SaveConfigFile(config, nullptr, error));
  const std::string first = test::ReadBytes(ConfigFilePath());
  ASSERT_GT(test::Count(first, "function set"), 100u);

  ConfigStore read;
  ConfigHost host{read};
  ASSERT_TRUE(ReadConfigText(host, read, ConfigFilePath(), ReadOptions{}, error));
  EXPECT_EQ(test::ErrorLogText(), "");  // nothing was rejected
  ASSERT_EQ(read.StoredCount(), 3u);
  EXPECT_EQ(read.VlanNames(), config.VlanNames());
  EXPECT_EQ(read.StoredRecords()[0]->systemName.get(), "事務所-2");
  EXPECT_EQ(read.StoredRecords()[1]->systemName.get(), " office  #2 ");
  EXPECT_EQ(read.StoredRecords()[2]->vlanIds[0], 7);
  for (std::size_t i = 0; i < 3; ++i) {
    ComputeFingerprint(*read.StoredRecords()[i]);
    ComputeFingerprint(*records[i]);
    EXPECT_EQ(read.StoredRecords()[i]->currentFingerprint, records[i]->currentFingerprint) << i;
  }
  ASSERT_TRUE(SaveConfigFile(read, nullptr, error));
  EXPECT_EQ(test::ReadBytes(ConfigFilePath()), first);
}

TEST_F(ConfigWriterTest, FailedWriteLeavesThePreviousFileWhole) {
  ConfigStore config;
  config.AppendStoredRecord(RichRecord(kModelName24G, 2));
  const std::filesystem::path path = root_ / "config.txt";
  test::WriteBytes(path, "previous\r\n");

  // A full disk: every write beyond a few bytes fails.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit tiny = saved;
  tiny.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  ErrorPair error;
  const bool written = WriteConfigText(config, nullptr, path, error);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(error.code, kErrFileOpen);
  EXPECT_EQ(error.detail, path.string() + ": File too large");  // the file and the reason
  EXPECT_EQ(test::ReadBytes(path), "previous\r\n");

  // A folder in the way of the rename.
  const std::filesystem::path folder = root_ / "taken";
  std::filesystem::create_directories(folder / "inside");
  EXPECT_FALSE(WriteConfigText(config, nullptr, folder, error));
  EXPECT_TRUE(std::filesystem::is_directory(folder / "inside"));

  // No temporary file is left behind.
  for (const auto& entry : std::filesystem::directory_iterator(root_)) {
    EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
  }
  EXPECT_TRUE(WriteConfigText(config, nullptr, path, error));
  EXPECT_NE(test::ReadBytes(path), "previous\r\n");
}

mode_t ModeOf(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// A new file is 0666 less the umask, as the rename publishes the temporary
// file; a file that is replaced keeps its mode.
TEST_F(ConfigWriterTest, NewFilesFollowTheUmask) {
  ConfigStore config;
  ErrorPair error;
  const mode_t saved = ::umask(077);
  for (const auto& [mask, mode] :
       {std::pair<mode_t, mode_t>{077, 0600}, {022, 0644}, {002, 0664}}) {
    ::umask(mask);
    const std::filesystem::path path = root_ / ("new-" + std::to_string(mask) + ".txt");
    ASSERT_TRUE(WriteConfigText(config, nullptr, path, error)) << error.detail;
    EXPECT_EQ(ModeOf(path), mode) << path;
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteConfigText(config, nullptr, path, error)) << error.detail;
    EXPECT_EQ(ModeOf(path), 0640u) << path;
  }
  ::umask(saved);
}

// After a crash: temporary files of the atomic write are removed, nothing else.
TEST_F(ConfigWriterTest, StaleTemporaryFilesAreRemovedAndNothingElse) {
  const std::filesystem::path folder = root_ / "kept";
  const std::vector<std::string> stale{".config_ntr.txt.Ab3dE9", ".config_ntr.txt.bak.x1Y2z3"};
  const std::vector<std::string> kept{".config_ntr.txt.toolong1", ".config_ntr.txt.ab-de9",
                                      "config_ntr.txt", ".error_log.txt.Ab3dE9", "notes.txt"};
  for (const auto& names : {stale, kept}) {
    for (const auto& name : names) test::WriteBytes(folder / name, "x");
  }
  std::filesystem::create_symlink(root_ / "elsewhere", folder / ".config_ntr.txt.Lnk123");
  RemoveStaleTemporaryFiles(folder);
  for (const auto& name : stale) EXPECT_FALSE(std::filesystem::exists(folder / name)) << name;
  for (const auto& name : kept) EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
  EXPECT_TRUE(std::filesystem::is_symlink(folder / ".config_ntr.txt.Lnk123"));
}

}  // namespace
}  // namespace ntr
