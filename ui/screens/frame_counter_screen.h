// The frame types a port's counters count, one per transmit and per receive
// counter of the model.
#pragma once

#include "ui/screens/port_form_screen.h"

namespace ntr::ui {

inline constexpr char kFrameCounterTitle[] = "フレームカウンタの設定";
inline constexpr char kFrameCounterAppliedText[] = "フレームカウンタの設定は正常に反映されました。";
inline constexpr char kFrameCounterFailedText[] = "フレームカウンタの設定に失敗しました。";

class FrameCounterScreen : public PortFormScreen {
  Q_OBJECT

 public:
  FrameCounterScreen(ScreenHost& screens, SwitchView sw, int port);
  QString title() const override;
  const std::vector<ChoiceBox*>& transmit() const { return transmit_; }
  const std::vector<ChoiceBox*>& receive() const { return receive_; }

 protected:
  std::vector<SettingChange> Changes() override;
  ApplyTexts applyTexts() const override;

 private:
  std::vector<ChoiceBox*> transmit_;
  std::vector<ChoiceBox*> receive_;
};

}  // namespace ntr::ui
