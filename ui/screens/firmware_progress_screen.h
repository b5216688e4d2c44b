// The progress of a firmware update: the state of the switch's update job,
// read on a timer on the GUI thread (reading it never waits on the switch),
// as a text and, while blocks are sent, a bar. "中断" asks the switch to
// abort. The job's end (kFirmwareFinished, routed by the navigator) leads to
// the restart-wait screen on success and to the message screen otherwise.
// Closing the screen while the update runs asks for the abort as well.
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "ui/forms/screen.h"

namespace ntr {
class Application;
}

namespace ntr::ui {

// The line shown for an update state and percent; empty for a switch that went.
QString FirmwareProgressText(int state, int percent);

class FirmwareProgressScreen : public Screen {
  Q_OBJECT

 public:
  static constexpr int kPollMs = 200;

  // The update of `sw` has been started.
  FirmwareProgressScreen(ScreenHost& screens, Application& app, SwitchView sw);
  ~FirmwareProgressScreen() override;
  QString title() const override;
  // Closes the frame.
  void Cancel() override;
  // The job's end: the switch's service hears it, then the next screen opens.
  void Finished();
  QString text() const { return text_->text(); }
  QProgressBar* bar() const { return bar_; }

 private:
  void Poll();
  void Abort();

  Application& app_;
  QLabel* text_;
  QProgressBar* bar_;
  QPushButton* abort_;
  QTimer poll_;
  bool ended_ = false;
};

}  // namespace ntr::ui
