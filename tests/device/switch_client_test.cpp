#include "device/switch_client.h"

#include <gtest/gtest.h>

#include "catalogue/function_descriptors.h"
#include "catalogue/qos_speed.h"
#include "catalogue/switch_model.h"
#include "tests/device/fake_switch.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;

class CountingSaver : public ConfigSaver {
 public:
  bool SaveConfigFile(ErrorPair& error) override {
    ++saves;
    return failWith == kErrNone || error.Fail(failWith, "disk full");
  }
  int saves = 0;
  ErrorCode failWith = kErrNone;
};

class SwitchClientTest : public ::testing::Test {
 protected:
  SwitchClientTest() : hub_(link_, LookupFunctionTypes), fake_(link_) {}

  void SetUp() override { UseModel("NTR7100-8G"); }

  void UseModel(const char* model) {
    record_.Initialise();
    record_.modelName = model;
    record_.serialNumber = "SN1";
    record_.systemName = record_.DefaultSystemName();
    record_.switchMac = test::kTestSwitchMac;
    record_.mirrorDestination = DefaultMirrorDestination(model);
    record_.switchState = kStateIdle;
    node_ = std::make_unique<SwitchClient>(hub_, record_, &saver_);
    node_->transactor().SetAttemptTimeout(30ms);
    node_->Attach();
    ComputeFingerprint(record_, true);
    ASSERT_TRUE(hub_.StartReceiveThread());
  }

  static std::uint16_t Id(const char* keyword) {
    return FindFunctionByKeyword(keyword)->functionId;
  }

  test::MemoryLink link_;
  TransactionHub hub_;
  test::FakeSwitch fake_;
  CountingSaver saver_;
  SwitchRecord record_;
  std::unique_ptr<SwitchClient> node_;
  ErrorPair error_;
};

TEST_F(SwitchClientTest, SetChoosesSetOrSetDefault) {
  ASSERT_TRUE(
      node_->Set(Function::kPortSpeed, FunctionIndex::Port(2), 1, Commit::kBulkWrite, error_));
  auto sent = fake_.last();
  EXPECT_EQ(sent.operation, kOpSetDefault);
  EXPECT_EQ(sent.valueType, kValueNone);
  EXPECT_EQ(sent.indexType, kIndexPort);
  EXPECT_EQ(sent.firstIndex, 3);

  ASSERT_TRUE(
      node_->Set(Function::kPortSpeed, FunctionIndex::Port(2), 5, Commit::kBulkWrite, error_));
  sent = fake_.last();
  EXPECT_EQ(sent.operation, kOpSet);
  EXPECT_EQ(sent.valueType, kValueInteger);
  EXPECT_EQ(sent.intValue, 5);
  EXPECT_EQ(sent.firstIndex, 3);
  EXPECT_EQ(record_.ports[2].speed, 5);
  EXPECT_EQ(saver_.saves, 0);  // commit 0 saves nothing
}

TEST_F(SwitchClientTest, CommitSkipsUnchangedValuesAndMarksTheRecordChanged) {
  ASSERT_TRUE(node_->Set(Function::kPortFlowControl, FunctionIndex::Port(0), 0,
                         Commit::kOperatorChange, error_));
  EXPECT_EQ(fake_.count(), 0u);
  ASSERT_TRUE(node_->Set(Function::kPortFlowControl, FunctionIndex::Port(0), 0, Commit::kBulkWrite,
                         error_));
  EXPECT_EQ(fake_.count(), 1u);

  ASSERT_TRUE(node_->Set(Function::kPortFlowControl, FunctionIndex::Port(0), 1,
                         Commit::kOperatorChange, error_));
  EXPECT_EQ(saver_.saves, 1);
  EXPECT_TRUE(record_.Changed());
  ASSERT_TRUE(node_->Set(Function::kPortFlowControl, FunctionIndex::Port(0), 0,
                         Commit::kOperatorChange, error_));
  EXPECT_TRUE(record_.Changed());  // back to the saved CRC, still changed

  // A failed save fails the setter but keeps the value.
  saver_.failWith = kErrFileOpen;
  EXPECT_FALSE(node_->Set(Function::kEnergySaving, 1, Commit::kOperatorChange, error_));
  EXPECT_EQ(error_.code, kErrFileOpen);
  EXPECT_EQ(error_.detail, "disk full");
  EXPECT_EQ(record_.energySaving, 1);
}

TEST_F(SwitchClientTest, RangeChecksSendNothing) {
  EXPECT_FALSE(node_->Set(Function::kMacAddressAgingTimer, 9, Commit::kBulkWrite, error_));
  EXPECT_EQ(error_.code, kErrOutOfRange);
  EXPECT_EQ(error_.detail, "MACアドレスのエージング時間の範囲は10～64800です");
  EXPECT_FALSE(
      node_->Set(Function::kPortSpeed, FunctionIndex::Port(8), 5, Commit::kBulkWrite, error_));
  EXPECT_EQ(error_.code, kErrPortNumber);
  EXPECT_EQ(error_.detail, "ポート番号の範囲は1～8です");
  EXPECT_FALSE(node_->Set(Function::kVlanId, FunctionIndex::Registration(256), 5,
                          Commit::kBulkWrite, error_));
  EXPECT_EQ(error_.code, kErrRegistrationNumber);
  EXPECT_EQ(error_.detail, "登録番号の範囲は1～256です");
  EXPECT_FALSE(node_->Set(Function::kVlanId, FunctionIndex::Registration(3), 4095,
                          Commit::kBulkWrite, error_));
  EXPECT_EQ(error_.code, kErrOutOfRange);
  EXPECT_EQ(error_.detail, "VLAN IDの範囲は1～4094です");
  EXPECT_FALSE(node_->Set(Function::kCounterFrameRxType, FunctionIndex::PortCounter(0, 3), 2,
                          Commit::kBulkWrite, error_));
  EXPECT_EQ(error_.code, kErrCounterNumber);
  EXPECT_EQ(error_.detail, "カウンタ番号の範囲は1～3です");
  EXPECT_FALSE(node_->Set(Function::kVlanMultiple, FunctionIndex::PortGroup(0, 8), 1,
                          Commit::kBulkWrite, error_));
  EXPECT_EQ(error_.code, kErrOutOfRange);
  EXPECT_EQ(error_.detail, "マルチプルVLAN IDの範囲は1～8です");
  EXPECT_FALSE(node_->Get(Function::kStatusFanRpm, FunctionIndex::Fan(2), error_));
  EXPECT_EQ(error_.code, kErrPortNumber);
  EXPECT_EQ(error_.detail, "FAN番号の範囲は1～2です");
  EXPECT_FALSE(node_->Set(Function::kQosDscpRemarkClass, FunctionIndex::Port(0), 5,
                          Commit::kBulkWrite, error_));
  EXPECT_EQ(error_.detail, "受信フレーム置き換えクラスの範囲は0～4です");
  EXPECT_FALSE(node_->Set(Function::kLoopDetectCount, 2, Commit::kBulkWrite, error_));
  EXPECT_FALSE(node_->Set(Function::kLoopDetectTime, 61, Commit::kBulkWrite, error_));
  EXPECT_FALSE(node_->Set(Function::kLoopDetectRecoveryTimer, 0, Commit::kBulkWrite, error_));
  EXPECT_FALSE(
      node_->Set(Function::kVlanAccess, FunctionIndex::Port(0), 256, Commit::kBulkWrite, error_));
  EXPECT_EQ(error_.code, kErrRegistrationNumber);
  EXPECT_FALSE(
      node_->Set(Function::kStatusPortSpeed, 1, Commit::kBulkWrite, error_));  // no setting
  EXPECT_EQ(error_.code, kErrFunctionInfo);
  EXPECT_EQ(error_.detail, "status-port-speed");
  EXPECT_EQ(fake_.count(), 0u);

  ASSERT_TRUE(node_->Set(Function::kMacAddressAgingTimer, 300, Commit::kBulkWrite, error_));
  EXPECT_EQ(fake_.last().operation, kOpSetDefault);
  ASSERT_TRUE(node_->Set(Function::kMacAddressAgingTimer, 64800, Commit::kBulkWrite, error_));
  EXPECT_EQ(fake_.last().operation, kOpSet);
}

TEST_F(SwitchClientTest, IndexedDefaultsAndWireForms) {
  ASSERT_TRUE(
      node_->Set(Function::kVlanId, FunctionIndex::Registration(0), 1, Commit::kBulkWrite, error_));
  EXPECT_EQ(fake_.last().operation, kOpSetDefault);
  EXPECT_EQ(fake_.last().indexType, kIndexRegistration);
  ASSERT_TRUE(
      node_->Set(Function::kVlanId, FunctionIndex::Registration(4), 5, Commit::kBulkWrite, error_));
  EXPECT_EQ(fake_.last().operation, kOpSetDefault);
  EXPECT_EQ(fake_.last().firstIndex, 5);

  // vlan-access: set carries the entry + 1 under a registration index (one
  // INTEGER on the wire, like the port index of its get).
  ASSERT_TRUE(
      node_->Set(Function::kVlanAccess, FunctionIndex::Port(1), 9, Commit::kBulkWrite, error_));
  EXPECT_EQ(fake_.last().firstIndex, 2);
  EXPECT_EQ(fake_.last().intValue, 10);
  fake_.SetInteger(Id("vlan-access"), 12, 2);
  ASSERT_TRUE(node_->Get(Function::kVlanAccess, FunctionIndex::Port(1), error_));
  EXPECT_EQ(fake_.last().indexType, kIndexPort);
  EXPECT_EQ(record_.ports[1].accessVlanEntry, 11);

  ASSERT_TRUE(node_->Set(Function::kVlanTrunk, FunctionIndex::PortRegistration(3, 7), 1,
                         Commit::kBulkWrite, error_));
  EXPECT_EQ(fake_.last().indexType, kIndexPortRegistration);
  EXPECT_EQ(fake_.last().firstIndex, 4);
  EXPECT_EQ(fake_.last().secondIndex, 8);

  ASSERT_TRUE(node_->Set(Function::kCounterFrameRxType, FunctionIndex::PortCounter(0, 4 - 2), 2,
                         Commit::kBulkWrite, error_));
  EXPECT_EQ(fake_.last().operation, kOpSetDefault);  // counter 3's default is 2

  ASSERT_TRUE(node_->Set(Function::kRouteBackupPort, FunctionIndex::Port(0), 3, Commit::kBulkWrite,
                         error_));
  EXPECT_EQ(fake_.last().intValue, 4);
  ASSERT_TRUE(node_->Set(Function::kRouteBackupPort, FunctionIndex::Port(0), -1, Commit::kBulkWrite,
                         error_));
  EXPECT_EQ(fake_.last().operation, kOpSetDefault);
}

TEST_F(SwitchClientTest, MirroringDestinationPerModel) {
  UseModel("NTR7100-24G");
  ASSERT_TRUE(node_->Set(Function::kMirroringDestination, 23, Commit::kBulkWrite, error_));
  EXPECT_EQ(fake_.last().operation, kOpSetDefault);
  EXPECT_EQ(fake_.last().indexType, kIndexNone);
  ASSERT_TRUE(node_->Set(Function::kMirroringDestination, 7, Commit::kBulkWrite, error_));
  EXPECT_EQ(fake_.last().operation, kOpSet);
  EXPECT_EQ(fake_.last().intValue, 8);
  EXPECT_EQ(record_.mirrorDestination, 7);

  UseModel("NTR7100-8G");
  const auto before = fake_.count();
  EXPECT_FALSE(node_->Set(Function::kMirroringDestination, 8, Commit::kBulkWrite, error_));
  EXPECT_EQ(error_.code, kErrPortNumber);
  EXPECT_EQ(fake_.count(), before);
}

TEST_F(SwitchClientTest, GetAnswersBecomeRecordValues) {
  fake_.SetInteger(Id("port-speed"), 7, 1);
  record_.ports[0].speed = 3;
  ASSERT_TRUE(node_->Get(Function::kPortSpeed, FunctionIndex::Port(0), error_));
  EXPECT_EQ(record_.ports[0].speed, 3);  // 7 is not a speed: ignored

  fake_.SetInteger(Id("led-brightness"), 2);
  fake_.SetInteger(Id("energy-saving"), 2);
  record_.ledBrightness = 1;
  ASSERT_TRUE(node_->Get(Function::kLedBrightness, error_));
  ASSERT_TRUE(node_->Get(Function::kEnergySaving, error_));
  EXPECT_EQ(record_.ledBrightness, 0);
  EXPECT_EQ(record_.energySaving, 1);
  // A get that changed the record saves it; one that changed nothing (the
  // ignored answer, a value the tool holds already) writes nothing, so a
  // full disk does not stop a read.
  EXPECT_EQ(saver_.saves, 2);
  ASSERT_TRUE(node_->Get(Function::kLedBrightness, error_));
  EXPECT_EQ(saver_.saves, 2);

  fake_.SetOctets(Id("system-name"), std::string(40, 'n'));
  ASSERT_TRUE(node_->Get(Function::kSystemName, error_));
  EXPECT_EQ(record_.systemName.get(), std::string(32, 'n'));

  fake_.SetOctets(Id("serial-number"), "\x83\x58\x83\x43");
  ASSERT_TRUE(node_->Get(Function::kSerialNumber, error_));
  EXPECT_EQ(record_.serialNumber.get(), "スイ");

  fake_.SetOctets(Id("system-macaddress"), std::string("\x02\x5C\x71\x00\x00\x2A", 6));
  const int saves = saver_.saves;
  ASSERT_TRUE(node_->Get(Function::kSystemMacAddress, error_));
  EXPECT_EQ(record_.macText.get(), "02:5C:71:00:00:2A");
  EXPECT_EQ(saver_.saves, saves);  // no save for the MAC

  fake_.SetInteger(Id("status-counter-frame-rx"), -1, 2, 3);  // a full 64-bit count
  ASSERT_TRUE(
      node_->Get(Function::kStatusCounterFrameRx, FunctionIndex::PortCounter(1, 2), error_));
  EXPECT_EQ(record_.portStatus[1].rxFrames[2], ~std::uint64_t{0});

  // A status answer that crossed a status notice is older than the notice.
  fake_.SetInteger(Id("status-port-speed"), 0, 6);
  record_.portStatus[5].linkSpeed = 5;
  fake_.OnRequest([&] { record_.statusNotices = record_.statusNotices + 1; });
  ASSERT_TRUE(node_->Get(Function::kStatusPortSpeed, FunctionIndex::Port(5), error_));
  EXPECT_EQ(record_.portStatus[5].linkSpeed, 5);
  fake_.OnRequest(nullptr);
  ASSERT_TRUE(node_->Get(Function::kStatusPortSpeed, FunctionIndex::Port(5), error_));
  EXPECT_EQ(record_.portStatus[5].linkSpeed, 0);

  // A get answered without a value fails with code 10.
  fake_.SetOctets(Id("loopdetect-count"), "x");
  EXPECT_FALSE(node_->Get(Function::kLoopDetectCount, error_));
  EXPECT_EQ(error_.code, kErrBadResponseValue);
}

TEST_F(SwitchClientTest, RefusalsMapToTheirCodes) {
  fake_.Refuse(Id("port-use"), 1);
  EXPECT_FALSE(
      node_->Set(Function::kPortUse, FunctionIndex::Port(0), 0, Commit::kBulkWrite, error_));
  EXPECT_EQ(error_.code, kErrSwitchBusy);
  EXPECT_EQ(record_.ports[0].use, 1);  // unchanged on failure
  fake_.Refuse(Id("restart"), 6);
  EXPECT_FALSE(node_->Execute(Function::kRestart, error_));
  EXPECT_EQ(error_.code, kErrNoSuchFunction);
  ASSERT_TRUE(node_->Execute(Function::kClearCounter, error_));
  EXPECT_EQ(fake_.last().operation, kOpExecute);
  EXPECT_EQ(fake_.last().valueType, kValueNone);
}

TEST_F(SwitchClientTest, FirmwareUpdateRefusesSettersAndSkipsStatus) {
  for (std::int32_t state : {kStateFirmPrepare, kStateFirmTransfer}) {
    record_.switchState = state;
    EXPECT_FALSE(
        node_->Set(Function::kPortSpeed, FunctionIndex::Port(0), 5, Commit::kBulkWrite, error_));
    EXPECT_EQ(error_.code, kErrFirmwareUpdating);
    EXPECT_FALSE(node_->Get(Function::kPortSpeed, FunctionIndex::Port(0), error_));
    EXPECT_FALSE(node_->Execute(Function::kRestart, error_));
    EXPECT_FALSE(node_->SetSystemName("x", Commit::kOperatorChange, error_));
    EXPECT_TRUE(node_->Get(Function::kStatusPortSpeed, FunctionIndex::Port(0), error_));
  }
  record_.switchState = kStateBulk;
  EXPECT_TRUE(node_->Get(Function::kStatusLoopDetectPort, FunctionIndex::Port(0), error_));
  EXPECT_EQ(fake_.count(), 0u);
}

TEST_F(SwitchClientTest, SystemNameDefaultAndCodePage) {
  ASSERT_TRUE(node_->SetSystemName("本社スイッチ", Commit::kOperatorChange, error_));
  EXPECT_EQ(fake_.last().operation, kOpSet);
  EXPECT_EQ(fake_.last().octets, "\x96\x7B\x8E\xD0\x83\x58\x83\x43\x83\x62\x83\x60");
  ASSERT_TRUE(node_->SetSystemName(std::string(40, 'a'), Commit::kBulkWrite, error_));
  EXPECT_EQ(fake_.last().octets, std::string(32, 'a'));
  ASSERT_TRUE(node_->SetSystemName("NTR7100-8G_SN1", Commit::kBulkWrite, error_));
  EXPECT_EQ(fake_.last().operation, kOpSetDefault);
  const auto before = fake_.count();
  EXPECT_FALSE(node_->SetSystemName("emoji😀", Commit::kBulkWrite, error_));
  EXPECT_EQ(error_.code, kErrOutOfRange);
  EXPECT_EQ(fake_.count(), before);
}

TEST_F(SwitchClientTest, QosRateSelections) {
  UseModel("NTR7100-24G");
  // Unit 3 ("32m") by default: selection 8 (raw 17) is valid.
  ASSERT_TRUE(node_->Set(Function::kQosPolicingSpeed, FunctionIndex::Port(0), 8,
                         Commit::kOperatorChange, error_));
  EXPECT_EQ(fake_.last().intValue, 17);
  EXPECT_EQ(record_.ports[0].policingSelection, 8);
  EXPECT_EQ(record_.ports[0].policingRate, 17);
  // Same raw value under another selection: only the selection changes.
  record_.ports[1].shapingRate = 5;
  record_.ports[1].shapingSelection = kNoSelection;
  const auto before = fake_.count();
  ASSERT_TRUE(node_->Set(Function::kQosShapingSpeed, FunctionIndex::Port(1), 3,
                         Commit::kOperatorChange, error_));
  EXPECT_EQ(fake_.count(), before);
  EXPECT_EQ(record_.ports[1].shapingSelection, 3);
  // Selection -2 sends the stored raw value and keeps it.
  ASSERT_TRUE(node_->Set(Function::kQosShapingSpeed, FunctionIndex::Port(1), kNoSelection,
                         Commit::kBulkWrite, error_));
  EXPECT_EQ(fake_.last().intValue, 5);
  EXPECT_EQ(record_.ports[1].shapingRate, 5);
  // Raw value 1 is the default.
  ASSERT_TRUE(node_->Set(Function::kQosShapingSpeed, FunctionIndex::Port(1), 2, Commit::kBulkWrite,
                         error_));
  EXPECT_EQ(fake_.last().operation, kOpSetDefault);
  EXPECT_FALSE(node_->Set(Function::kQosShapingSpeed, FunctionIndex::Port(1), 9, Commit::kBulkWrite,
                          error_));
  EXPECT_EQ(error_.code, kErrSpeedValue);
  // In a bulk run the refused rate is the request a report names: a set.
  record_.switchState = kStateBulk;
  EXPECT_FALSE(node_->Set(Function::kQosShapingSpeed, FunctionIndex::Port(1), 9, Commit::kBulkWrite,
                          error_));
  EXPECT_EQ(node_->transactor().LastRequest().operation, kOpSet);
  EXPECT_EQ(node_->transactor().LastRequest().intValue, 9);
  record_.switchState = kStateIdle;

  // A get stores the raw value and its selection under the current unit.
  fake_.SetInteger(Id("qos-policing-speed"), 30, 3);
  record_.qosSpeedUnit = 2;
  ASSERT_TRUE(node_->Get(Function::kQosPolicingSpeed, FunctionIndex::Port(2), error_));
  EXPECT_EQ(record_.ports[2].policingRate, 30);
  EXPECT_EQ(record_.ports[2].policingSelection, 7);
  record_.qosSpeedUnit = 7;
  ASSERT_TRUE(node_->Get(Function::kQosPolicingSpeed, FunctionIndex::Port(2), error_));
  EXPECT_EQ(record_.ports[2].policingSelection, kNoSelection);
}

}  // namespace
}  // namespace ntr
