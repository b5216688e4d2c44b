#include "catalogue/switch_model.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/error_log.h"
#include "base/text_encoding.h"
#include "catalogue/status_texts.h"
#include "catalogue/switch_record.h"

namespace ntr {
namespace {

TEST(SwitchModel, CodesAndCapabilities) {
  EXPECT_EQ(ModelCodeOf("NTR7100-8G"), kModel8G);
  EXPECT_EQ(ModelCodeOf("NTR7100-24G"), kModel24G);
  EXPECT_EQ(ModelCodeOf("NTR7100-8PoE"), kModel8PoE);
  EXPECT_EQ(ModelCodeOf("NTR7100-8g"), kModelUnknown);
  EXPECT_EQ(ModelCodeOf("NTR7100-8G "), kModelUnknown);
  EXPECT_EQ(ModelCodeOf("unknown"), kModelUnknown);
  EXPECT_EQ(PortCountOf(kModel24G), 24);
  EXPECT_EQ(CounterCountOf(kModel8PoE), 3);
  EXPECT_EQ(ReadStepsOf(kModel8G), 2558);
  EXPECT_EQ(ReadStepsOf(kModel8PoE), 2566);
  EXPECT_EQ(ReadStepsOf(kModelUnknown), 7711);
  EXPECT_EQ(DefaultPoeClass(0), 5);
  EXPECT_EQ(DefaultPoeClass(1), 4);
  EXPECT_TRUE(PoeClassOffered(0, 5));
  EXPECT_FALSE(PoeClassOffered(1, 5));
  EXPECT_TRUE(PoeClassOffered(1, 0));
  EXPECT_FALSE(PoeClassOffered(1, 3));

  SwitchRecord record;
  ApplyModel(record);
  EXPECT_EQ(record.portCount, 0);
  EXPECT_EQ(record.counterCount, 0);
  record.modelName = "NTR7100-24G";
  ApplyModel(record);
  EXPECT_EQ(record.modelCode, kModel24G);
  EXPECT_EQ(record.portCount, 24);
  EXPECT_EQ(record.counterCount, 5);
}

class ModelFixUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ntr-fixup-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    setenv("XDG_DATA_HOME", root_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(root_);
  }
  std::filesystem::path root_;
};

TEST_F(ModelFixUpTest, DefaultNameAndMirrorDestinationOnce) {
  SwitchRecord record;
  record.modelName = "NTR7100-24G";
  record.serialNumber = "A1";
  ApplyModel(record);
  ModelFixUp(record);
  EXPECT_EQ(record.systemName.get(), "NTR7100-24G_A1");
  EXPECT_EQ(record.mirrorDestination, 23);
  // Later: the name is not touched again; a 24-port destination beyond the
  // ports is quietly brought back.
  record.systemName = "mine";
  record.mirrorDestination = 30;
  ModelFixUp(record);
  EXPECT_EQ(record.systemName.get(), "mine");
  EXPECT_EQ(record.mirrorDestination, 23);
  EXPECT_TRUE(record.failures.empty());

  SwitchRecord unknown;
  unknown.serialNumber = "";
  ModelFixUp(unknown);
  EXPECT_EQ(unknown.systemName.get(), "");
  EXPECT_EQ(unknown.nameDefaulted, 1);
  EXPECT_EQ(unknown.mirrorDestination, 0);
}

TEST_F(ModelFixUpTest, EightPortDestinationOutOfRangeIsReportedAndReset) {
  SwitchRecord record;
  record.modelName = "NTR7100-8G";
  record.switchMac = MacAddress{0x02, 0x5C, 0x71, 0, 0, 1};
  record.macText = FormatSwitchMac(record.switchMac);
  ApplyModel(record);
  ModelFixUp(record);
  record.mirrorDestination = 8;
  ModelFixUp(record);
  EXPECT_EQ(record.mirrorDestination, 7);
  EXPECT_EQ(record.failures.Copy(),
            std::vector<std::string>{"switch control function set mirroring-dest 9"});
  std::ifstream in(ErrorLogPath(), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  const std::string log = Cp932ToUtf8Lossy(bytes.str());
  EXPECT_NE(log.find("スイッチ: 02:5C:71:00:00:01\r\n実行コマンド: switch control function set "
                     "mirroring-dest 9\r\nエラー理由: パラメータが不正です\r\n\r\n"),
            std::string::npos)
      << log;
}

TEST(StatusTexts, Words) {
  EXPECT_EQ(LinkSpeedText(0), "リンクダウン");
  EXPECT_EQ(LinkSpeedText(5), "リンクアップ[100BASE-TX]");
  EXPECT_EQ(LinkSpeedText(6), "リンクアップ[1000BASE-T]");
  EXPECT_EQ(PoeStateText(13), "設定不適合(設定class以上の機器接続)");
  EXPECT_EQ(PoeStateText(14), "未定義のステータス");
  EXPECT_EQ(PoeStateText(-1), "未定義のステータス");
  EXPECT_EQ(LoopStateText(2), "リンクダウン！");
  EXPECT_EQ(FanStateText(3), "異常停止！");
}

}  // namespace
}  // namespace ntr
