// A port's basic functions: use, auto MDI/MDI-X, speed, downshift, flow
// control, loop detection and the two kinds of blocking. A port with a
// neighbouring device behind it cannot be switched off.
#pragma once

#include "app/vlan_table_edit.h"
#include "ui/screens/port_form_screen.h"

namespace ntr::ui {

inline constexpr char kPortBasicTitle[] = "基本機能の設定";
inline constexpr char kPortBasicAppliedText[] = "基本機能の設定は正常に反映されました。";

class PortBasicScreen : public PortFormScreen {
  Q_OBJECT

 public:
  PortBasicScreen(ScreenHost& screens, SwitchView sw, int port);
  QString title() const override;

  ChoiceBox* use() const { return use_; }
  ChoiceBox* speed() const { return speed_; }
  ChoiceBox* flowControl() const { return flowControl_; }
  ChoiceBox* blockData() const { return blockData_; }

 protected:
  std::vector<SettingChange> Changes() override;
  ApplyTexts applyTexts() const override;

 private:
  ChoiceBox* use_;
  ChoiceBox* crossover_;
  ChoiceBox* speed_;
  ChoiceBox* downshift_;
  ChoiceBox* flowControl_;
  ChoiceBox* loopDetect_;
  ChoiceBox* blockControl_;
  ChoiceBox* blockData_;
};

}  // namespace ntr::ui
