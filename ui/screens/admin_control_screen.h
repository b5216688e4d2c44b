// The watch values of discovery: the interval between discovery cycles and
// the number of unanswered cycles until a switch counts as down, each 2 to
// 10. Stored and saved on the GUI thread (no switch is involved); discovery
// restarts with the new interval at once.
#pragma once

#include "ui/forms/filtered_edit.h"
#include "ui/forms/screen.h"

namespace ntr {
class Application;
}

namespace ntr::ui {

inline constexpr char kAdminControlTitle[] = "スイッチ制御機能の設定 ";
inline constexpr char kAdminControlAppliedText[] = "スイッチ制御機能の設定は正常に反映されました。";
inline constexpr char kAdminControlFailedText[] = "スイッチ制御機能の設定に失敗しました。";
inline constexpr char kIntervalOutOfRangeText[] = "データが範囲外です(スイッチの監視時間間隔)";
inline constexpr char kDownCountOutOfRangeText[] = "データが範囲外です(ダウン検出までの監視回数)";

class AdminControlScreen : public Screen {
  Q_OBJECT

 public:
  static constexpr QSize kSize{420, 180};
  static constexpr int kLowest = 2;
  static constexpr int kHighest = 10;

  AdminControlScreen(ScreenHost& screens, Application& app);
  QString title() const override;
  void Cancel() override;
  FilteredEdit* intervalEdit() const { return interval_; }
  FilteredEdit* countEdit() const { return count_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Set();

  Application& app_;
  FilteredEdit* interval_;
  FilteredEdit* count_;
};

}  // namespace ntr::ui
