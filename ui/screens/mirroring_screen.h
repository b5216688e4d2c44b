// Port mirroring: on or off, the sniffer port, and per port the direction
// of the traffic copied to it.
#pragma once

#include <vector>

#include "ui/forms/choice_box.h"
#include "ui/forms/screen.h"

namespace ntr::ui {

inline constexpr char kMirroringTitle[] = "ポートミラーリング機能の設定";
inline constexpr char kMirroringAppliedText[] =
    "ポートミラーリング機能の設定は正常に反映されました。";
inline constexpr char kMirroringFailedText[] = "ポートミラーリング機能の設定に失敗しました。";

class MirroringScreen : public Screen {
  Q_OBJECT

 public:
  MirroringScreen(ScreenHost& screens, SwitchView sw);
  QString title() const override;
  void Cancel() override;
  ChoiceBox* useChoice() const { return use_; }
  ChoiceBox* snifferChoice() const { return sniffer_; }
  // Position 0 none, 1 transmit, 2 receive, 3 both.
  ChoiceBox* directionChoice(int port) const {
    return directions_.at(static_cast<std::size_t>(port));
  }

 protected:
  std::vector<SettingChange> Changes() override;
  ApplyTexts applyTexts() const override;
  void paintEvent(QPaintEvent* event) override;

 private:
  ChoiceBox* use_;
  ChoiceBox* sniffer_;
  std::vector<ChoiceBox*> directions_;
  int labelWidth_ = 0;
  int valueWidth_ = 0;
};

}  // namespace ntr::ui
