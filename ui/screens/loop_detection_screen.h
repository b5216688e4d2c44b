// Loop detection for the whole switch: the MAC move count that counts as a
// loop, and whether a looping port is shut down and released after a time.
#pragma once

#include <QRadioButton>

#include "ui/forms/filtered_edit.h"
#include "ui/forms/screen.h"

namespace ntr::ui {

inline constexpr char kLoopDetectionTitle[] = "ループ検出機能の設定";
inline constexpr char kLoopDetectionAppliedText[] = "ループ検出機能の設定は正常に反映されました。";
inline constexpr char kLoopDetectionFailedText[] = "ループ検出機能の設定に失敗しました。";

class LoopDetectionScreen : public Screen {
  Q_OBJECT

 public:
  LoopDetectionScreen(ScreenHost& screens, SwitchView sw);
  QString title() const override;
  void Cancel() override;
  FilteredEdit* countEdit() const { return count_; }
  FilteredEdit* secondsEdit() const { return seconds_; }
  QRadioButton* shutDownChoice() const { return shutDown_; }
  QRadioButton* noShutDownChoice() const { return noShutDown_; }

 protected:
  std::vector<SettingChange> Changes() override;
  ApplyTexts applyTexts() const override;
  void paintEvent(QPaintEvent* event) override;

 private:
  FilteredEdit* count_;
  FilteredEdit* seconds_;
  QRadioButton* shutDown_;
  QRadioButton* noShutDown_;
  QString countHint_;
  QString secondsHint_;
  int labelWidth_ = 0;
  int valueWidth_ = 0;
};

}  // namespace ntr::ui
