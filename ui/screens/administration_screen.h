// The tool's own administration: the watch values of discovery with the
// button to change them, and the managed switches of a known model, each
// with "保存" (its settings to a file) and "読込" (a file's settings to it).
#pragma once

#include <vector>

#include "ui/forms/screen.h"

namespace ntr {
class Application;
}

namespace ntr::ui {

inline constexpr char kAdministrationTitle[] = "スイッチ制御機能の設定";
inline constexpr char kManagementStateText[] = "スイッチの管理状態 ";

class AdministrationScreen : public Screen {
  Q_OBJECT

 public:
  AdministrationScreen(ScreenHost& screens, Application& app);
  QString title() const override;
  bool hub() const override { return true; }
  void Cancel() override;

  struct Row {
    SwitchRef sw;
    QString name, model, serial, mac;
  };
  const std::vector<Row>& rows() const { return rows_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Save(int row);
  void Load(int row);
  int GridTop() const;

  Application& app_;
  std::vector<Row> rows_;
  std::vector<int> widths_;
  int interval_;
  int downCount_;
};

}  // namespace ntr::ui
