#include <gtest/gtest.h>

#include <set>

#include "base/error.h"

namespace ntr {
namespace {

TEST(ErrorTable, MessagesAsTheOperatorSeesThem) {
  EXPECT_EQ(FormatErrorMessage(1), "メモリが不足しています。");
  EXPECT_EQ(FormatErrorMessage(17), "機能が存在しません。");
  EXPECT_EQ(FormatErrorMessage(20), "致命的なエラー。");
  EXPECT_EQ(FormatErrorMessage(37), "エンコードバッファの容量が不足しています。");
  EXPECT_EQ(FormatErrorMessage(52), "設定実行スレッドの生成に失敗しました。");
  // Placeholders: directly after the text for 11 and 26 to 28...
  EXPECT_EQ(FormatErrorMessage(11, "abc"), "データが範囲外です(abc)");
  EXPECT_EQ(FormatErrorMessage(26, "25"), "ポート番号の指定が間違っています。(25)");
  EXPECT_EQ(FormatErrorMessage(27, "x"), "カウンタ番号の指定が間違っています。(x)");
  EXPECT_EQ(FormatErrorMessage(28, "y"), "登録番号の指定が間違っています。(y)");
  // ...after one space for the capture library's texts.
  EXPECT_EQ(FormatErrorMessage(45, "no devices"),
            "ネットワークデバイス検索に失敗しました。 (no devices)");
  EXPECT_EQ(FormatErrorMessage(47, "eth9: No such device exists"),
            "ネットワークデバイスをオープンできません。 (eth9: No such device exists)");
  EXPECT_EQ(FormatErrorMessage(49, "code=-1"), "送信エラーが発生しました。 (code=-1)");
  // A message without placeholder ignores the detail.
  EXPECT_EQ(FormatErrorMessage(9, "ignored"), "スイッチから応答がありませんでした。");
  // A detail that is not valid UTF-8 cannot spoil the message.
  EXPECT_EQ(FormatErrorMessage(47, "\xFF"),
            "ネットワークデバイスをオープンできません。 (\xEF\xBF\xBD)");
}

TEST(ErrorTable, UnknownCodesGiveTheFallbackWithTheirNumber) {
  EXPECT_EQ(FormatErrorMessage(0), "未知のエラーコードです。 (0)");
  EXPECT_EQ(FormatErrorMessage(53), "未知のエラーコードです。 (53)");
  EXPECT_EQ(FormatErrorMessage(-7, "x"), "未知のエラーコードです。 (-7)");
}

TEST(ErrorTable, EveryCodeHasItsOwnMessageWithFullStop) {
  std::set<std::string> seen;
  for (int code = kFirstErrorCode; code <= kLastErrorCode; ++code) {
    const std::string message = FormatErrorMessage(code, "D");
    EXPECT_TRUE(seen.insert(message).second) << code;
    EXPECT_EQ(message.find("未知"), std::string::npos) << code;
    if (code != kErrOutOfRange) {
      EXPECT_NE(message.find("。"), std::string::npos) << code;
    }
  }
}

TEST(ErrorPair, FailRecordsAndReturnsFalse) {
  ErrorPair error;
  EXPECT_FALSE(error.failed());
  EXPECT_FALSE(error.Fail(kErrValueType, "value type=7"));
  EXPECT_EQ(error.code, 39);
  EXPECT_EQ(error.detail, "value type=7");
  ErrorPair caller;
  EXPECT_FALSE(caller.Take(error));
  EXPECT_EQ(FormatErrorMessage(caller), FormatErrorMessage(39, "value type=7"));
}

}  // namespace
}  // namespace ntr
