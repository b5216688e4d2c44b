// The words the switch screens show for settings of the whole switch: one
// home for the main screen's values and the edit screens' choices.
#pragma once

#include <QString>
#include <QStringList>

#include "catalogue/switch_record.h"
#include "ui/forms/port_choices.h"

namespace ntr::ui {

// "使用する" / "使用しない": the port screens' words (position 0 is "使用する").
inline QStringList UseChoiceTexts() { return Texts(UseChoices()); }
inline QString UseWord(std::int32_t on) { return TextOf(UseChoices(), on != 0 ? 1 : 0); }

// The power-saving modes, by the economy flag.
inline QStringList PowerModeChoices() {
  return {QStringLiteral("ノーマルモード"), QStringLiteral("エコノミーモード")};
}
inline QString PowerModeWord(bool economy) { return PowerModeChoices().at(economy ? 1 : 0); }

// The loop-detection actions: automatic shut-down with release (2 on the
// wire), or none (0).
inline constexpr std::int32_t kLoopShutDownAndRelease = 2;
inline constexpr std::int32_t kLoopNoShutDown = 0;
inline QString LoopShutDownText() {
  return QStringLiteral("ポートを自動シャットダウンして自動解除する");
}
inline QString LoopNoShutDownText() { return QStringLiteral("ポートを自動シャットダウンしない"); }

// The monitored direction of a port: position 0 none, 1 transmit, 2
// receive, 3 both.
inline QStringList MirrorDirectionChoices() {
  return {QStringLiteral("監視しない"), QStringLiteral("送信"), QStringLiteral("受信"),
          QStringLiteral("送信、受信")};
}
inline int MirrorDirection(const PortSettings& port) {
  return (port.mirrorTx.load() != 0 ? 1 : 0) + (port.mirrorRx.load() != 0 ? 2 : 0);
}
inline bool MirrorsTransmit(int direction) { return direction == 1 || direction == 3; }
inline bool MirrorsReceive(int direction) { return direction == 2 || direction == 3; }

}  // namespace ntr::ui
