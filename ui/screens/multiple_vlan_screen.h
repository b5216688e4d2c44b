// A port's multiple-VLAN groups: one check per group, each with the ports
// that belong to it. The apply sends the groups whose check changed, then
// whether the switch still uses multiple VLANs at all.
#pragma once

#include <QCheckBox>
#include <vector>

#include "ui/forms/screen.h"

namespace ntr::ui {

inline constexpr char kMultipleVlanTitle[] = "マルチプルVLANの設定";
inline constexpr char kMultipleVlanAppliedText[] = "マルチプルVLAN の設定は正常に反映されました。";
inline constexpr char kMultipleVlanFailedText[] = "マルチプルVLANの設定に失敗しました。";

class MultipleVlanScreen : public Screen {
  Q_OBJECT

 public:
  MultipleVlanScreen(ScreenHost& screens, SwitchView sw, int port);
  QString title() const override;
  void Cancel() override;
  // The check of group `group` (0-based).
  QCheckBox* groupCheck(int group) const { return checks_.at(static_cast<std::size_t>(group)); }

 protected:
  std::vector<SettingChange> Changes() override;
  ApplyTexts applyTexts() const override;
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<QCheckBox*> checks_;
  int labelWidth_ = 0;
  int valueWidth_ = 0;
};

}  // namespace ntr::ui
