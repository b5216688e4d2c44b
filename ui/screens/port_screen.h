// The port screen: one port's settings in groups, each with its "設定" button
// to the group's edit screen, and "閉じる". The loop-detection state is
// watched every 500 ms while the screen shows.
#pragma once

#include <QTimer>
#include <vector>

#include "ui/forms/screen.h"

namespace ntr {
class Application;
}

namespace ntr::ui {

inline constexpr char kPortTitle[] = "スイッチポート%1の設定";

class PortScreen : public Screen {
  Q_OBJECT

 public:
  static constexpr int kLoopCheckMs = 500;

  PortScreen(ScreenHost& screens, Application& app, SwitchView sw, int port);
  QString title() const override;
  bool hub() const override { return true; }
  void Cancel() override;

  // The rows as shown, "label\tvalue", group by group (for tests).
  QStringList rows() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Row {
    QString label;
    QString value;
  };
  struct Group {
    const char* button;
    QString heading;
    std::vector<Row> rows;
  };
  void BuildGroups(Application& app);
  QString LoopText() const;
  void CheckLoopState();
  void Arrange();

  std::vector<Group> groups_;
  std::int32_t loopState_ = 0;
  std::size_t loopRow_ = 0;  // in the first group
  int labelWidth_ = 0;
  int valueWidth_ = 0;
  QTimer loopTimer_;
};

}  // namespace ntr::ui
