// A PoE port's power class: no power, class 3 or class 4 (class 4 only where
// the port offers it). Success and failure both lead back to the port screen.
#pragma once

#include "ui/screens/port_form_screen.h"

namespace ntr::ui {

inline constexpr char kPowerClassTitle[] = "給電クラスの設定";
inline constexpr char kPowerClassAppliedText[] = "給電クラスの設定は正常に反映されました。";
inline constexpr char kPowerClassFailedText[] = "給電クラスの設定に失敗しました。";

class PowerClassScreen : public PortFormScreen {
  Q_OBJECT

 public:
  PowerClassScreen(ScreenHost& screens, SwitchView sw, int port);
  QString title() const override;
  ChoiceBox* powerClass() const { return class_; }

 protected:
  std::vector<SettingChange> Changes() override;
  ApplyTexts applyTexts() const override;

 private:
  ChoiceBox* class_;
};

}  // namespace ntr::ui
