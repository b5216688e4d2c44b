// The switch's name: one edit of up to 32 letters, digits, "-" and "_",
// sent as the system name.
#pragma once

#include "ui/forms/filtered_edit.h"
#include "ui/forms/screen.h"

namespace ntr::ui {

inline constexpr char kSwitchNameTitle[] = "スイッチの名称設定";
inline constexpr char kSwitchNameAppliedText[] = "スイッチの名称の設定は正常に反映されました。";
inline constexpr char kSwitchNameFailedText[] = "スイッチの名称設定に失敗しました。";

class SwitchNameScreen : public Screen {
  Q_OBJECT

 public:
  static constexpr QSize kSize{420, 150};

  SwitchNameScreen(ScreenHost& screens, SwitchView sw);
  QString title() const override;
  void Cancel() override;
  FilteredEdit* edit() const { return edit_; }

 protected:
  std::vector<SettingChange> Changes() override;
  ApplyTexts applyTexts() const override;
  void paintEvent(QPaintEvent* event) override;

 private:
  FilteredEdit* edit_;
};

}  // namespace ntr::ui
