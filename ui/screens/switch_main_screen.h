// The switch main screen, so far its name row: the name with the button to
// change it, and "閉じる".
#pragma once

#include "ui/screens/screen.h"

namespace ntr::ui {

inline constexpr char kSwitchMainTitle[] = "スイッチ機器の設定・状態表示";

class SwitchMainScreen : public Screen {
  Q_OBJECT

 public:
  static constexpr QSize kSize{585, 150};

  SwitchMainScreen(ScreenNavigator& screens, ManagedSwitch* sw);
  QString title() const override;
  bool hub() const override { return true; }
  void Cancel() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace ntr::ui
