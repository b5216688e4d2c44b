#include "catalogue/status_texts.h"

#include <array>

namespace ntr {

std::string LinkSpeedText(std::int32_t linkSpeed) {
  switch (linkSpeed) {
    case 0:
      return "リンクダウン";
    case 1:
      return "リンクオート";
    case 2:
    case 3:
      return "リンクアップ[10BASE-T]";
    case 4:
    case 5:
      return "リンクアップ[100BASE-TX]";
    case 6:
      return "リンクアップ[1000BASE-T]";
    default:
      return std::to_string(linkSpeed);
  }
}

std::string PoeStateText(std::int32_t poeState) {
  static constexpr std::array<const char*, 15> kTexts = {
      "給電しない(給電しない設定)",
      "給電停止(未接続 or 給電開始前など)",
      "Class0(15.4W)給電中",
      "Class1(3.9W)給電中",
      "Class2(7.7W)給電中",
      "Class3(15.4W)給電中",
      "Class4(30W)給電中",
      "給電停止(過電流)",
      "給電停止(上段Class4給電による強制停止)",
      "給電停止(給電能力オーバー)",
      "給電停止(温度異常)",
      "給電停止(ファン停止)",
      "給電停止(電源異常)",
      "設定不適合(設定class以上の機器接続)",
      "未定義のステータス",
  };
  return kTexts[poeState >= 0 && poeState <= 13 ? static_cast<std::size_t>(poeState) : 14];
}

std::string LoopStateText(std::int32_t loopState) {
  if (loopState == 0) return "正常";
  if (loopState == 1) return "ループ発生！";
  return "リンクダウン！";
}

std::string FanStateText(std::int32_t fanState) { return fanState == 0 ? "正常" : "異常停止！"; }

}  // namespace ntr
