// Power saving: normal or economy mode. Choosing the mode already in force
// sends nothing; another mode is confirmed first, because the switch's links
// go down for a moment, and then sent as the LED brightness and the energy
// saving.
#pragma once

#include <QRadioButton>

#include "ui/forms/screen.h"

namespace ntr::ui {

inline constexpr char kPowerSavingTitle[] = "省電力機能の設定";
inline constexpr char kPowerSavingAppliedText[] = "省電力機能の設定は正常に反映されました。";
inline constexpr char kPowerSavingFailedText[] = "省電力機能の設定に失敗しました。";

class PowerSavingScreen : public Screen {
  Q_OBJECT

 public:
  PowerSavingScreen(ScreenHost& screens, SwitchView sw);
  QString title() const override;
  void Cancel() override;
  QRadioButton* normalChoice() const { return normal_; }
  QRadioButton* economyChoice() const { return economy_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Choose();

  QRadioButton* normal_;
  QRadioButton* economy_;
  int labelWidth_ = 0;
  int valueWidth_ = 0;
};

// "この設定を実行すると…": "はい" sends the chosen mode, "いいえ" goes back.
class PowerSavingConfirmScreen : public Screen {
  Q_OBJECT

 public:
  PowerSavingConfirmScreen(ScreenHost& screens, SwitchView sw, bool economy);
  QString title() const override;
  void Cancel() override;
  bool economy() const { return economy_; }

 protected:
  std::vector<SettingChange> Changes() override;
  ApplyTexts applyTexts() const override;
  void paintEvent(QPaintEvent* event) override;

 private:
  bool economy_;
  QStringList lines_;
};

}  // namespace ntr::ui
