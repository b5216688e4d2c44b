#include "catalogue/request_text.h"
#include "device/failed_request_report.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/error_log.h"
#include "base/text_encoding.h"
#include "catalogue/function_descriptors.h"
#include "catalogue/switch_model.h"
#include "device/switch_client.h"
#include "tests/device/fake_switch.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;

FunctionRequest Request(const char* keyword, Operation operation, std::int32_t first = 0,
                        std::int32_t second = 0) {
  const FunctionDescriptor* entry = FindFunctionByKeyword(keyword);
  FunctionRequest request;
  request.functionId = entry->functionId;
  request.operation = operation;
  request.indexType = entry->indexType;
  request.firstIndex = first;
  request.secondIndex = second;
  request.valueType = kValueNone;
  return request;
}

FunctionRequest SetRequest(const char* keyword, std::int64_t value, std::int32_t first = 0,
                           std::int32_t second = 0) {
  FunctionRequest request = Request(keyword, kOpSet, first, second);
  request.valueType = kValueInteger;
  request.intValue = value;
  return request;
}

TEST(RequestText, CommandTexts) {
  EXPECT_EQ(CommandText(SetRequest("port-speed", 5, 3), "port-speed"),
            "switch control function set port-speed 3 100-fdx");
  EXPECT_EQ(CommandText(Request("port-use", kOpSetDefault, 2), "port-use"),
            "switch control function set-default port-use 2");
  EXPECT_EQ(CommandText(Request("boot-rom-version", kOpGet), "boot-rom-version"),
            "switch control function get boot-rom-version ");
  EXPECT_EQ(CommandText(SetRequest("vlan-trunk", 1, 1, 4), "vlan-trunk"),
            "switch control function set vlan-trunk 1 4 join");
  EXPECT_EQ(CommandText(SetRequest("counter-frame-tx-type", 27, 2, 5), "counter-frame-tx-type"),
            "switch control function set counter-frame-tx-type 2 5 collisions");
  EXPECT_EQ(CommandText(SetRequest("counter-frame-rx-type", 25, 1, 1), "counter-frame-rx-type"),
            "switch control function set counter-frame-rx-type 1 1 control-packets");
  EXPECT_EQ(CommandText(SetRequest("counter-frame-tx-type", 20, 1, 1), "counter-frame-tx-type"),
            "switch control function set counter-frame-tx-type 1 1 20");
  EXPECT_EQ(CommandText(SetRequest("qos-speed-unit", 0), "qos-speed-unit"),
            "switch control function set qos-speed-unit 128k");
  // The spelled text keeps the blank of an empty index text.
  EXPECT_EQ(
      CommandText(SetRequest("loopdetect-use-control-packet", 0), "loopdetect-use-control-packet"),
      "switch control function set loopdetect-use-control-packet  off");
  // port-speed 6 has no word in the text form; poe-class 4 neither.
  EXPECT_EQ(CommandText(SetRequest("port-speed", 6, 1), "port-speed"),
            "switch control function set port-speed 1 6");
  EXPECT_EQ(CommandText(SetRequest("poe-class", 4, 2), "poe-class"),
            "switch control function set poe-class 2 4");
  EXPECT_EQ(CommandText(SetRequest("macaddress-aging", 0), "macaddress-aging"),
            "switch control function set macaddress-aging 0");

  FunctionRequest name = Request("system-name", kOpSet);
  name.valueType = kValueOctets;
  name.octets = "\x83\x58\x83\x43";
  EXPECT_EQ(CommandText(name, "system-name"), "switch control function set system-name スイ");
  FunctionRequest mac = Request("status-macaddress-addr", kOpGet);
  mac.indexMac = MacAddress{0x02, 0x5C, 0x71, 0, 0, 0xAB};
  EXPECT_EQ(IndexText(mac), "02:5C:71:00:00:AB");
  FunctionRequest odd = Request("port-use", static_cast<Operation>(9));
  odd.indexType = 12;
  odd.valueType = 5;
  EXPECT_EQ(OperationWord(9), "不明");
  EXPECT_EQ(ArgumentText(odd, "port-use"), "不明(12) 不明(5)");
}

class ReportTest : public ::testing::Test {
 protected:
  ReportTest() : hub_(link_, LookupFunctionTypes), fake_(link_) {}

  void SetUp() override {
    char pattern[] = "/tmp/ntr-report-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    setenv("XDG_DATA_HOME", root_.c_str(), 1);
    record_.modelName = "NTR7100-8G";
    record_.serialNumber = "SN1";
    record_.switchMac = test::kTestSwitchMac;
    node_ = std::make_unique<SwitchClient>(hub_, record_, nullptr);
    node_->transactor().SetAttemptTimeout(20ms);
    node_->Attach();
    record_.switchState = kStateBulk;
    ASSERT_TRUE(hub_.StartReceiveThread());
  }
  void TearDown() override {
    unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(root_);
  }

  std::string Log() {
    std::ifstream in(ErrorLogPath(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return Cp932ToUtf8Lossy(bytes.str());
  }

  std::filesystem::path root_;
  test::MemoryLink link_;
  TransactionHub hub_;
  test::FakeSwitch fake_;
  SwitchRecord record_;
  std::unique_ptr<SwitchClient> node_;
  ErrorPair error_;
};

TEST_F(ReportTest, RefusedSetIsLoggedAndCorrected) {
  fake_.Refuse(FindFunctionByKeyword("port-speed")->functionId, 8);
  EXPECT_FALSE(
      node_->Set(Function::kPortSpeed, FunctionIndex::Port(2), 5, Commit::kBulkWrite, error_));
  EXPECT_EQ(error_.code, kErrBadParameter);
  EXPECT_EQ(record_.ports[2].speed, 1);  // never stored
  record_.ports[2].speed = 5;            // as a bulk write that stored it before asking would
  EXPECT_TRUE(ReportFailedRequest(*node_, error_));
  EXPECT_EQ(record_.ports[2].speed, 1);
  EXPECT_EQ(record_.failures.Copy(),
            std::vector<std::string>{"switch control function set port-speed 3 100-fdx"});
  EXPECT_EQ(node_->lastMessageText.get(), "パラメータが不正です。");
  EXPECT_NE(Log().find("スイッチ: 02:5C:71:00:00:01\r\n実行コマンド: switch control function set "
                       "port-speed 3 100-fdx\r\nエラー理由: パラメータが不正です。\r\n"),
            std::string::npos);
}

TEST_F(ReportTest, CorrectionsOfOtherFields) {
  fake_.Refuse(FindFunctionByKeyword("vlan-id")->functionId, 1);
  fake_.Refuse(FindFunctionByKeyword("qos-shaping-speed")->functionId, 1);
  fake_.Refuse(FindFunctionByKeyword("mirroring-dest")->functionId, 1);
  record_.vlanIds[3] = 77;
  EXPECT_FALSE(node_->Set(Function::kVlanId, FunctionIndex::Registration(3), 100,
                          Commit::kBulkWrite, error_));
  EXPECT_TRUE(ReportFailedRequest(*node_, error_));
  EXPECT_EQ(record_.vlanIds[3], 1);
  record_.ports[0].shapingRate = 4;
  record_.ports[0].shapingSelection = 1;
  EXPECT_FALSE(node_->Set(Function::kQosShapingSpeed, FunctionIndex::Port(0), 8, Commit::kBulkWrite,
                          error_));
  EXPECT_TRUE(ReportFailedRequest(*node_, error_));
  EXPECT_EQ(record_.ports[0].shapingRate, 1);
  EXPECT_EQ(record_.ports[0].shapingSelection, 2);
  record_.mirrorDestination = 3;
  EXPECT_FALSE(node_->Set(Function::kMirroringDestination, 5, Commit::kBulkWrite, error_));
  EXPECT_TRUE(ReportFailedRequest(*node_, error_));
  EXPECT_EQ(record_.mirrorDestination, 7);
  EXPECT_EQ(record_.failures.Copy().size(), 3u);
}

TEST_F(ReportTest, FailuresThatAreNotRefusalsAreNotLogged) {
  link_.SetPeer(nullptr);  // the switch falls silent
  EXPECT_FALSE(node_->Get(Function::kBootRomVersion, error_));
  EXPECT_EQ(error_.code, kErrNoResponse);
  EXPECT_FALSE(ReportFailedRequest(*node_, error_));
  EXPECT_EQ(node_->lastCommandText.get(), "switch control function get boot-rom-version ");
  EXPECT_EQ(node_->lastMessageText.get(), "スイッチから応答がありませんでした。");
  EXPECT_TRUE(record_.failures.empty());

  // A range check names the refused request without sending it.
  EXPECT_FALSE(
      node_->Set(Function::kPortSpeed, FunctionIndex::Port(9), 5, Commit::kBulkWrite, error_));
  EXPECT_FALSE(ReportFailedRequest(*node_, error_));
  EXPECT_EQ(node_->lastCommandText.get(), "switch control function set port-speed 10 100-fdx");

  ErrorPair unknown;
  unknown.Fail(kErrFunctionInfo, "no-such-keyword");
  EXPECT_FALSE(ReportFailedRequest(*node_, unknown));
  EXPECT_EQ(node_->lastCommandText.get(), "no-such-keyword");
  EXPECT_FALSE(std::filesystem::exists(ErrorLogPath()));
}

TEST_F(ReportTest, OutsideABulkRunNothingHappens) {
  record_.switchState = kStateIdle;
  ErrorPair refused;
  refused.Fail(kErrSwitchBusy);
  EXPECT_TRUE(ReportFailedRequest(*node_, refused));
  EXPECT_TRUE(record_.failures.empty());
  EXPECT_EQ(node_->lastCommandText.get(), "");
}

}  // namespace
}  // namespace ntr
