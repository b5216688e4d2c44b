#include "ui/screens/port_basic_screen.h"

#include "ui/forms/screen_host.h"

namespace ntr::ui {

PortBasicScreen::PortBasicScreen(ScreenHost& screens, SwitchView sw, int port)
    : PortFormScreen(screens, sw, port) {
  const PortSettings& p = working().ports[static_cast<std::size_t>(port)];
  const auto use = UseChoices();
  const auto block = BlockChoices();
  use_ = AddChoice(QStringLiteral("ポートの動作"), use, p.use);
  crossover_ = AddChoice(QStringLiteral("クロスストレート自動判別"), use, p.autoCrossover);
  speed_ = AddChoice(QStringLiteral("速度"), SpeedChoices(), p.speed);
  downshift_ = AddChoice(QStringLiteral("リンクスピードダウンシフト"), use, p.speedDownshift);
  flowControl_ = AddChoice(QStringLiteral("フロー制御"), use, p.flowControl);
  loopDetect_ = AddChoice(QStringLiteral("ループ検出機能"), use, p.loopDetect);
  blockControl_ =
      AddChoice(QStringLiteral("スイッチ制御パケットの遮断機能"), block, p.blockControlPackets);
  blockData_ = AddChoice(QStringLiteral("データパケットの遮断機能"), block, p.blockDataPackets);
  // The port leads to a neighbouring device: it stays in use.
  if (port < kMaxNeighbours && working().neighbourPresent[static_cast<std::size_t>(port)] != 0) {
    use_->SetItemEnabled(PositionOf(use, 0), false);
  }
  Arrange();
  MoveFocusOnFrom(FirstChoice());
}

QString PortBasicScreen::title() const { return QString::fromUtf8(kPortBasicTitle); }

std::vector<SettingChange> PortBasicScreen::Changes() {
  const auto use = UseChoices();
  const auto block = BlockChoices();
  const FunctionIndex at = FunctionIndex::Port(port());
  return {
      SettingChange::Set(Function::kPortSpeed, at, Chosen(speed_, SpeedChoices())),
      SettingChange::Set(Function::kPortUse, at, Chosen(use_, use)),
      SettingChange::Set(Function::kPortAutoCrossover, at, Chosen(crossover_, use)),
      SettingChange::Set(Function::kPortSpeedDownshift, at, Chosen(downshift_, use)),
      SettingChange::Set(Function::kPortFlowControl, at, Chosen(flowControl_, use)),
      SettingChange::Set(Function::kLoopDetectPortUse, at, Chosen(loopDetect_, use)),
      SettingChange::Set(Function::kPortBlockingControlPacket, at, Chosen(blockControl_, block)),
      SettingChange::Set(Function::kPortBlockingDataPacket, at, Chosen(blockData_, block)),
  };
}

Screen::ApplyTexts PortBasicScreen::applyTexts() const {
  return {QString::fromUtf8(kPortBasicAppliedText), QString::fromUtf8(kPortBasicFailedText),
          Target::kPort, Target::kPortBasic};
}

}  // namespace ntr::ui
