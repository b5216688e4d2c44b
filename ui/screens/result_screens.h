// The two screens that tell how an apply ended: the result screen after a
// success and the message screen after a failure (or any message). Both show
// the title and a few lines in a grey box, and one button back.
#pragma once

#include <QStringList>

#include "ui/forms/screen.h"

namespace ntr::ui {

inline constexpr char kBackToDisplayText[] = "設定の表示画面に戻る";
inline constexpr char kCloseText[] = "閉じる";

class OutcomeScreen : public Screen {
  Q_OBJECT

 public:
  static constexpr QSize kSize{585, 225};
  static constexpr QRect kTextBox{QPoint(25, 40), QPoint(535, 110)};

  QString title() const override { return title_; }
  const QStringList& lines() const { return lines_; }
  Target backTarget() const { return target_; }

 protected:
  OutcomeScreen(ScreenHost& screens, SwitchView sw, int port, QString title, QStringList lines,
                Target target, int maxLines, const QString& button);
  void paintEvent(QPaintEvent* event) override;

  Target target_;

 private:
  QString title_;
  QStringList lines_;
};

// After a success: back to the switch main screen (4), the administration
// screen (0), or the port screen of the port.
class ResultScreen : public OutcomeScreen {
  Q_OBJECT

 public:
  ResultScreen(ScreenHost& screens, SwitchView sw, int port, QString title, QStringList lines,
               Target target);
  void Cancel() override;
};

// Back to any target; -1 (or a target without a screen) closes the frame.
class MessageScreen : public OutcomeScreen {
  Q_OBJECT

 public:
  MessageScreen(ScreenHost& screens, SwitchView sw, int port, QString title, QStringList lines,
                Target target);
  void Cancel() override;
};

}  // namespace ntr::ui
