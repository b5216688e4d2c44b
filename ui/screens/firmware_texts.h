// The texts the firmware screens share: the title and the heading of a
// failed update.
#pragma once

namespace ntr::ui {

inline constexpr char kFirmwareTitle[] = "ファームウェアの更新";
inline constexpr char kFirmwareFailedHeading[] = "ファームウェアの更新に失敗しました";

}  // namespace ntr::ui
