#include "device/settings_thread.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/error_log.h"
#include "base/text_encoding.h"
#include "catalogue/function_descriptors.h"
#include "catalogue/switch_model.h"
#include "tests/discovery/discovery_fixture.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;

constexpr const char* kThreeModels =
    "switch G model=NTR7100-8G\n"
    "switch T model=NTR7100-24G uplink=G:3\n"
    "switch P model=NTR7100-8PoE uplink=G:4\n";

struct Read {
  std::string keyword;
  std::int32_t first = 0;
  std::int32_t second = 0;
  bool operator==(const Read&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Read& read) {
  return out << read.keyword << " " << read.first << " " << read.second;
}

// The reads a bulk read must make, in order, for a model (1-based indexes).
std::vector<Read> ExpectedBulkReads(std::int32_t model) {
  const int ports = PortCountOf(model);
  const int counters = CounterCountOf(model);
  std::vector<Read> reads;
  const auto once = [&](const char* k) { reads.push_back({k}); };
  const auto perPort = [&](const char* k) {
    for (int p = 1; p <= ports; ++p) reads.push_back({k, p});
  };
  const auto perPair = [&](const char* k, int seconds) {
    for (int p = 1; p <= ports; ++p) {
      for (int s = 1; s <= seconds; ++s) reads.push_back({k, p, s});
    }
  };
  for (auto k :
       {"boot-rom-version", "system-macaddress", "system-name", "energy-saving", "led-brightness"})
    once(k);
  for (auto k : {"port-speed", "port-use", "port-auto-crossover", "port-speed-downshift",
                 "port-flow-control", "port-blocking-control-packet", "port-blocking-data-packet"})
    perPort(k);
  once("macaddress-aging");
  once("macaddress-aging-timer");
  for (int r = 1; r <= 256; ++r) reads.push_back({"vlan-id", r});
  perPort("vlan-port-mode");
  perPort("vlan-access");
  perPair("vlan-trunk", 256);
  once("vlan-multiple-use");
  perPair("vlan-multiple", ports);
  perPort("qos-dscp-remark-type");
  perPort("qos-dscp-remark-class");
  if (model == kModel24G) {
    once("qos-speed-unit");
    for (auto k :
         {"qos-policing-use", "qos-policing-speed", "qos-shaping-use", "qos-shaping-speed"})
      perPort(k);
  }
  once("mirroring-use");
  once("mirroring-dest");
  perPort("mirroring-src-rx");
  perPort("mirroring-src-tx");
  perPair("counter-frame-rx-type", counters);
  perPair("counter-frame-tx-type", counters);
  for (auto k : {"loopdetect-count", "loopdetect-time", "loopdetect-linkdown",
                 "loopdetect-recovery-timer", "loopdetect-use-control-packet"})
    once(k);
  perPort("loopdetect-port-use");
  once("system-macaddress");
  if (model == kModel8PoE) {
    perPort("poe-class");
    once("system-macaddress");
  }
  perPort("routebackup-backup-port");
  return reads;
}

// The reads of a status poll for a model (1-based indexes).
std::vector<Read> ExpectedPollReads(std::int32_t model) {
  std::vector<Read> expected;
  if (model == kModel24G) expected.push_back({"status-fan"});
  if (model == kModel8PoE) {
    expected.push_back({"status-fan-rpm ", 1});
    expected.push_back({"status-fan-rpm ", 2});
    expected.push_back({"status-poe-temperature"});
  }
  for (int p = 1; p <= PortCountOf(model); ++p) {
    expected.push_back({"status-port-speed", p});
    expected.push_back({"status-loopdetect-port", p});
    if (model == kModel8PoE) {
      expected.push_back({"status-poe-detect-class", p});
      expected.push_back({"status-poe-state", p});
    }
  }
  return expected;
}

class SettingsThreadTest : public test::DiscoveryFixture {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ntr-settings-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    setenv("XDG_DATA_HOME", root_.c_str(), 1);
  }
  void TearDown() override {
    DiscoveryFixture::TearDown();
    unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(root_);
  }

  // The function requests the simulator logged for a switch since the log was cleared.
  std::vector<Read> Requests(const std::string& name, std::int32_t operation = kOpGet) {
    std::vector<Read> reads;
    for (const auto& entry : peer_->Log()) {
      if (entry.switchName != name || entry.application != PduType::kFuncRequest ||
          entry.function.operation != operation) {
        continue;
      }
      const FunctionDescriptor* function = FindFunctionById(entry.function.functionId);
      std::string keyword(function->keyword);
      reads.push_back({keyword,
                       entry.function.indexType == kIndexNone ? 0 : entry.function.firstIndex,
                       entry.function.indexType >= kIndexPair5 ? entry.function.secondIndex : 0});
    }
    return reads;
  }

  // Runs a bulk read and answers its end-of-read notice.
  void BulkRead(ManagedSwitch& sw) {
    ErrorPair error;
    ASSERT_TRUE(sw.settings().RequestBulkRead(error));
    ASSERT_TRUE(notices_.WaitFor(Notification::kModalRead, 120s));
    // The state comes back once the view has taken the end of the read.
    ASSERT_TRUE(loop_.RunUntil([&] { return sw.record().switchState != kStateBulk; }, 20s));
    ASSERT_FALSE(sw.settings().bulkReadRequested());
  }

  // Requests a synchronisation and waits for its end.
  void Synchronise(ManagedSwitch& sw) {
    ErrorPair error;
    ASSERT_TRUE(sw.settings().RequestSynchronisation(error)) << error.code;
    ASSERT_TRUE(notices_.WaitFor(Notification::kSwitchWorkFinished, 120s));
  }

  std::string ErrorLog() {
    std::ifstream in(ErrorLogPath(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return Cp932ToUtf8Lossy(bytes.str());
  }

  std::filesystem::path root_;
};

TEST_F(SettingsThreadTest, BulkReadMakesExactlyTheModelsReadsInOrder) {
  Start(kThreeModels);
  Cycle();
  ASSERT_EQ(Managed(), 3u);
  const std::pair<const char*, std::int32_t> cases[] = {
      {"G", kModel8G}, {"T", kModel24G}, {"P", kModel8PoE}};
  for (const auto& [name, model] : cases) {
    ManagedSwitch* sw = Switch(name);
    ASSERT_NE(sw, nullptr);
    ASSERT_TRUE(loop_.RunUntil([&] { return sw->settings().pollsDone() == 1; }, 20s));
    peer_->ClearLog();  // after adoption's poll
    BulkRead(*sw);
    const auto expected = ExpectedBulkReads(model);
    // The read ends with a status poll: what is shown after it is live.
    auto withPoll = expected;
    for (const Read& read : ExpectedPollReads(model)) withPoll.push_back(read);
    const auto reads = Requests(name);
    EXPECT_EQ(reads.size(), withPoll.size()) << name;
    EXPECT_EQ(reads, withPoll) << name;
    EXPECT_EQ(sw->settings().pollsDone(), 2);
    EXPECT_EQ(sw->settings().bulkDone(), static_cast<int>(expected.size()));
    EXPECT_LE(sw->settings().bulkDone(), sw->settings().bulkTotal());
    EXPECT_EQ(sw->settings().bulkTotal(), ReadStepsOf(model));
    EXPECT_FALSE(sw->settings().lastRunFailed());
    EXPECT_EQ(sw->record().switchState, kStateIdle);
  }
  EXPECT_EQ(ExpectedBulkReads(kModel8G).size(), 2552u);
  EXPECT_EQ(ExpectedBulkReads(kModel8PoE).size(), 2561u);
  EXPECT_EQ(ExpectedBulkReads(kModel24G).size(), 7689u);
}

TEST_F(SettingsThreadTest, BulkReadTakesTheSwitchsSettings) {
  Start("switch G model=NTR7100-8G\n");
  Cycle();
  ManagedSwitch* sw = Switch("G");
  ASSERT_NE(sw, nullptr);
  peer_->Control("drift G port-speed 3 5");
  peer_->Control("drift G vlan-id 4 100");
  peer_->Control("drift G system-name office-1");
  BulkRead(*sw);
  EXPECT_EQ(sw->record().ports[2].speed, 5);
  EXPECT_EQ(sw->record().vlanIds[3], 100);
  EXPECT_EQ(sw->record().systemName.get(), "office-1");
  const auto reported =
      peer_->With([](sim::SimNetwork& net) { return net.Find("G")->Fingerprint(); });
  EXPECT_EQ(sw->record().currentFingerprint, static_cast<std::uint32_t>(reported));
}

TEST_F(SettingsThreadTest, PollReadsThePerModelStatus) {
  Start(kThreeModels);
  Cycle();
  ASSERT_EQ(Managed(), 3u);
  for (const char* name : {"G", "T", "P"}) {
    ManagedSwitch* sw = Switch(name);
    // Adoption polled once already; wait for that, then poll again.
    ASSERT_TRUE(loop_.RunUntil([&] { return sw->settings().pollsDone() == 1; }, 20s));
    peer_->ClearLog();
    ErrorPair error;
    ASSERT_TRUE(sw->settings().RequestPoll(error));
    ASSERT_TRUE(loop_.RunUntil([&] { return sw->settings().pollsDone() == 2; }, 20s));
    // Identity read after the poll: it runs after any pending poll (lower priority).
    ASSERT_TRUE(sw->settings().RequestIdentityRead(error));
    ASSERT_TRUE(loop_.RunUntil([&] { return !sw->settings().identityRequested(); }, 20s));
    EXPECT_EQ(Requests(name), ExpectedPollReads(sw->record().modelCode)) << name;
  }
}

TEST_F(SettingsThreadTest, AFailingFanOrTemperatureReadEndsThePoll) {
  Start("switch T model=NTR7100-24G\nswitch P model=NTR7100-8PoE uplink=T:4\n");
  Cycle();
  ASSERT_EQ(Managed(), 2u);
  for (const auto& [name, keyword] :
       {std::pair{"T", "status-fan"}, {"P", "status-poe-temperature"}}) {
    ManagedSwitch* sw = Switch(name);
    ASSERT_TRUE(loop_.RunUntil([&] { return sw->settings().pollsDone() == 1; }, 20s));
    peer_->Control(std::string("fault ") + name + " refuse " + keyword + " 6");
    peer_->ClearLog();
    ErrorPair error;
    ASSERT_TRUE(sw->settings().RequestPoll(error));
    ASSERT_TRUE(loop_.RunUntil([&] { return sw->settings().pollsDone() == 2; }, 20s));
    ASSERT_FALSE(Requests(name).empty());
    EXPECT_EQ(Requests(name).back().keyword, keyword) << name;  // no port read after it
  }
}

TEST_F(SettingsThreadTest, PollRequestsDuringAPollAreDropped) {
  Start("switch G model=NTR7100-8G\n");
  Cycle();
  ManagedSwitch* sw = Switch("G");
  ASSERT_TRUE(loop_.RunUntil([&] { return sw->settings().pollsDone() == 1; }, 20s));
  peer_->Control("fault G delay 30");
  peer_->ClearLog();
  ErrorPair error;
  ASSERT_TRUE(sw->settings().RequestPoll(error));
  ASSERT_TRUE(loop_.RunUntil([&] { return !Requests("G").empty(); }, 20s));  // the poll runs
  ASSERT_TRUE(sw->settings().RequestPoll(error));
  ASSERT_TRUE(sw->settings().RequestPoll(error));
  ASSERT_TRUE(sw->settings().RequestIdentityRead(error));
  ASSERT_TRUE(loop_.RunUntil([&] { return !sw->settings().identityRequested(); }, 30s));
  std::size_t speeds = 0;
  for (const auto& read : Requests("G")) speeds += read.keyword == "status-port-speed";
  EXPECT_EQ(speeds, 8u);  // one poll only
  EXPECT_EQ(sw->settings().pollsDone(), 2);
}

TEST_F(SettingsThreadTest, AgreeingFingerprintsWriteNothing) {
  Start("switch G model=NTR7100-8G\n");
  Cycle();
  ManagedSwitch* sw = Switch("G");
  peer_->ClearLog();
  Synchronise(*sw);
  EXPECT_TRUE(Requests("G", kOpSet).empty());
  EXPECT_TRUE(Requests("G", kOpSetDefault).empty());
  for (const auto& entry : peer_->Log()) EXPECT_NE(entry.application, PduType::kConfigSync);
  EXPECT_FALSE(sw->settings().lastRunFailed());
  EXPECT_EQ(sw->record().switchState, kStateIdle);
  EXPECT_EQ(sw->record().fingerprintValid, 1);
  EXPECT_EQ(sw->settings().graceCount, 3);
}

TEST_F(SettingsThreadTest, DifferingFingerprintsWriteExactlyTheNonDefaultSettings) {
  Start("switch T model=NTR7100-24G sync-pending=2\n");
  Cycle();
  ManagedSwitch* sw = Switch("T");
  ASSERT_NE(sw, nullptr);
  peer_->Control("drift T loopdetect-count 9");  // the switch holds something else
  SwitchRecord& record = sw->record();
  record.ports[2].speed = 5;
  record.vlanIds[3] = 100;
  record.ports[0].trunk[3] = 1;
  record.qosSpeedUnit = 2;
  record.ports[1].policingRate = 10;
  record.ports[1].policingSelection = 6;
  record.macAgeing = 0;
  peer_->ClearLog();
  Synchronise(*sw);
  EXPECT_FALSE(sw->settings().lastRunFailed());
  std::size_t syncs = 0;
  for (const auto& entry : peer_->Log()) syncs += entry.application == PduType::kConfigSync;
  EXPECT_EQ(syncs, 3u);  // two pending answers, then accepted
  EXPECT_EQ(Requests("T", kOpSet), (std::vector<Read>{{"port-speed", 3},
                                                      {"macaddress-aging"},
                                                      {"vlan-id", 4},
                                                      {"vlan-trunk", 1, 4},
                                                      {"qos-speed-unit"},
                                                      {"qos-policing-speed", 2}}));
  EXPECT_TRUE(Requests("T", kOpSetDefault).empty());
  const auto reported =
      peer_->With([](sim::SimNetwork& net) { return net.Find("T")->Fingerprint(); });
  EXPECT_EQ(static_cast<std::uint32_t>(reported), record.currentFingerprint);
  EXPECT_EQ(record.savedFingerprint, record.currentFingerprint);
  EXPECT_EQ(record.switchState, kStateIdle);
}

TEST_F(SettingsThreadTest, RefusalDuringTheBulkWriteIsRecordedAndTheWriteGoesOn) {
  Start("switch G model=NTR7100-8G\n");
  Cycle();
  ManagedSwitch* sw = Switch("G");
  peer_->Control("fault G refuse port-speed 1");
  SwitchRecord& record = sw->record();
  record.ports[2].speed = 5;
  record.ports[0].flowControl = 1;
  Synchronise(*sw);
  EXPECT_EQ(record.failures.Copy(),
            std::vector<std::string>{"switch control function set port-speed 3 100-fdx"});
  EXPECT_EQ(record.ports[2].speed, 1);  // put back to its default
  EXPECT_NE(ErrorLog().find("実行コマンド: switch control function set port-speed 3 100-fdx\r\n"
                            "エラー理由: スイッチが他の処理を行っています。"),
            std::string::npos);
  // The write went on: flow control reached the switch.
  EXPECT_EQ(Requests("G", kOpSet).back(), (Read{"port-flow-control", 1}));
}

TEST_F(SettingsThreadTest, UnknownModelIsRefused) {
  test::MemoryLink link;
  TransactionHub hub(link, LookupFunctionTypes);
  SwitchRecord record;
  ManagedSwitch sw(hub, record, nullptr, nullptr);
  ErrorPair error;
  EXPECT_FALSE(sw.settings().RequestBulkRead(error));
  EXPECT_EQ(error.code, kErrUnknownModel);
  EXPECT_FALSE(sw.settings().RequestSynchronisation(error));
  EXPECT_EQ(error.code, kErrUnknownModel);
}

}  // namespace
}  // namespace ntr
