#include "ui/screens/frame_counter_screen.h"

#include <algorithm>

#include "ui/forms/screen_host.h"

namespace ntr::ui {

namespace {

QString CounterLabel(const char* direction, int counter) {
  return QStringLiteral("%1 %2").arg(QString::fromUtf8(direction),
                                     QString::fromUtf8(kCounterText).arg(counter + 1));
}

}  // namespace

FrameCounterScreen::FrameCounterScreen(ScreenHost& screens, SwitchView sw, int port)
    : PortFormScreen(screens, sw, port) {
  const PortSettings& p = working().ports[static_cast<std::size_t>(port)];
  const int counters = std::clamp<int>(working().counterCount, 0, kMaxCounters);
  for (int k = 0; k < counters; ++k) {
    transmit_.push_back(AddChoice(CounterLabel("送信フレーム", k), TxCounterChoices(),
                                  p.txCounterTypes[static_cast<std::size_t>(k)]));
  }
  for (int k = 0; k < counters; ++k) {
    receive_.push_back(AddChoice(CounterLabel("受信フレーム", k), RxCounterChoices(),
                                 p.rxCounterTypes[static_cast<std::size_t>(k)]));
  }
  Arrange();
}

QString FrameCounterScreen::title() const { return QString::fromUtf8(kFrameCounterTitle); }

std::vector<SettingChange> FrameCounterScreen::Changes() {
  std::vector<SettingChange> changes;
  const auto tx = TxCounterChoices();
  const auto rx = RxCounterChoices();
  for (std::size_t k = 0; k < transmit_.size(); ++k) {
    changes.push_back(SettingChange::Set(Function::kCounterFrameTxType,
                                         FunctionIndex::PortCounter(port(), static_cast<int>(k)),
                                         Chosen(transmit_[k], tx)));
  }
  for (std::size_t k = 0; k < receive_.size(); ++k) {
    changes.push_back(SettingChange::Set(Function::kCounterFrameRxType,
                                         FunctionIndex::PortCounter(port(), static_cast<int>(k)),
                                         Chosen(receive_[k], rx)));
  }
  return changes;
}

Screen::ApplyTexts FrameCounterScreen::applyTexts() const {
  return {QString::fromUtf8(kFrameCounterAppliedText), QString::fromUtf8(kFrameCounterFailedText),
          Target::kPort, Target::kFrameCounter};
}

}  // namespace ntr::ui
