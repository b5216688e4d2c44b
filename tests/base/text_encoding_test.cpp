#include "base/text_encoding.h"

#include <gtest/gtest.h>

namespace ntr {
namespace {

TEST(TextEncoding, JapaneseRoundTripsThroughCodePage932) {
  const std::string texts[] = {
      "スイッチハブをロストしました。",
      "NTR設定ツール",
      "受信データ：Identifier octetのクラスに誤りがあります。",
      "ｱｲｳｴｵ half-width kana and ASCII ~\\",
      "①Ⅱ㈱",  // NEC and IBM extensions of the Windows code page
      "",
  };
  for (const auto& text : texts) {
    std::string cp932;
    ASSERT_TRUE(Utf8ToCp932(text, cp932)) << text;
    std::string back;
    ASSERT_TRUE(Cp932ToUtf8(cp932, back)) << text;
    EXPECT_EQ(back, text);
  }
}

TEST(TextEncoding, KnownCodePage932Bytes) {
  std::string cp932;
  ASSERT_TRUE(Utf8ToCp932("スイッチ", cp932));
  EXPECT_EQ(cp932, "\x83\x58\x83\x43\x83\x62\x83\x60");
  ASSERT_TRUE(Utf8ToCp932("ｱ", cp932));
  EXPECT_EQ(cp932, "\xB1");
  ASSERT_TRUE(Utf8ToCp932("：", cp932));
  EXPECT_EQ(cp932, "\x81\x46");
}

TEST(TextEncoding, CharactersOutsideTheCodePage) {
  std::string cp932;
  EXPECT_FALSE(Utf8ToCp932("name😀", cp932));
  EXPECT_FALSE(Utf8ToCp932("bad\xFF", cp932));
  EXPECT_EQ(Utf8ToCp932Lossy("a😀b\xFF"
                             "c"),
            "a?b?c");
  EXPECT_EQ(Utf8ToCp932Lossy("スイ😀"), "\x83\x58\x83\x43?");

  std::string utf8;
  EXPECT_FALSE(Cp932ToUtf8("\x83", utf8));  // lead byte without trail
  EXPECT_FALSE(
      Cp932ToUtf8("a\xA0"
                  "b",
                  utf8));  // not a character
  EXPECT_EQ(Cp932ToUtf8Lossy("a\x83"), "a\xEF\xBF\xBD");
  EXPECT_EQ(Cp932ToUtf8Lossy("\x83\x58\xFF\x83\x43"), "ス\xEF\xBF\xBDイ");
}

TEST(TextEncoding, CountAndCutByCharacters) {
  EXPECT_EQ(CountChars(""), 0u);
  EXPECT_EQ(CountChars("abc"), 3u);
  EXPECT_EQ(CountChars("スイッチハブ"), 6u);
  EXPECT_EQ(CountChars("a\xFF"
                       "b"),
            3u);  // an invalid byte counts as one
  EXPECT_EQ(CutToChars("スイッチハブ", 3), "スイッ");
  EXPECT_EQ(CutToChars("abc", 10), "abc");
  EXPECT_EQ(CutToChars("abc", 0), "");
  // 33 characters of mixed width cut to 32: never half a character.
  const std::string name = "A" + std::string("スイッチ") + std::string(28, 'x');
  ASSERT_EQ(CountChars(name), 33u);
  EXPECT_EQ(CountChars(CutToChars(name, 32)), 32u);
  EXPECT_EQ(CutToChars(name, 32), name.substr(0, name.size() - 1));
}

TEST(TextEncoding, CrLfAndSanitising) {
  EXPECT_EQ(ToCrLf("a\nb\n\n"), "a\r\nb\r\n\r\n");
  EXPECT_EQ(ToCrLf("a\r\nb"), "a\r\nb");
  EXPECT_EQ(ToCrLf("\n"), "\r\n");
  EXPECT_EQ(SanitizeUtf8("ok スイ"), "ok スイ");
  EXPECT_EQ(SanitizeUtf8("a\xC0\x80"
                         "b"),
            "a\xEF\xBF\xBD\xEF\xBF\xBD"
            "b");                                                                   // overlong
  EXPECT_EQ(SanitizeUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
}

// Whatever a switch sends, the file holds it and gives the same text back.
TEST(TextEncoding, FileSafeTextSurvivesTheFile) {
  EXPECT_EQ(FileSafeText("NTR7100-8G_スイッチ ハブ"), "NTR7100-8G_スイッチ ハブ");
  EXPECT_EQ(FileSafeText("a\r\nb\x1b[2J\tc\x7F"), "a??b?[2J?c?");
  EXPECT_EQ(FileSafeText("x\xC2\x9By\xC2\xA0"), "x?y?");  // C1 CSI; no-break space CP932 lacks
  EXPECT_EQ(FileSafeText("\xEF\xBF\xBD\xFF"
                         "a"),
            "??a");  // U+FFFD and a stray byte
  for (const std::string raw : {"S1\r\n", "\x83\x58\xFF\x83\x43", "\x80\xA0\xFD"}) {
    const std::string kept = FileSafeText(Cp932ToUtf8Lossy(raw));
    EXPECT_EQ(Cp932ToUtf8Lossy(Utf8ToCp932Lossy(kept)), kept) << kept;
  }
}

}  // namespace
}  // namespace ntr
