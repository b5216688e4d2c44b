#include "ui/main_window/main_window.h"

#include <QCloseEvent>

#include "app/operator.h"
#include "ui/main_window/page_view.h"
#include "ui/style/text.h"

namespace ntr::ui {

MainWindow::MainWindow(PageView* view) : view_(view) {
  setObjectName("mainWindow");
  setWindowTitle(ToQt(kApplicationTitle));
  setCentralWidget(view_);
  resize(860, 720);
  restartTimer_.setSingleShot(true);
  restartTimer_.setInterval(kRestartPeriodMs);
  connect(&restartTimer_, &QTimer::timeout, this, &MainWindow::TryRestart);
}

void MainWindow::ForceClose() {
  forced_ = true;
  close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!forced_ && mayClose_ && !mayClose_()) {
    event->ignore();
    return;
  }
  restartTimer_.stop();
  if (!shutDown_ && shutdown_) {
    shutDown_ = true;
    shutdown_();
  }
  event->accept();
}

// Activation gives the keyboard focus back to where it was.
void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::ActivationChange || !isActiveWindow() || !view_->page()->isEnabled()) return;
  if (restoreFocus_) {
    restoreFocus_();
  } else {
    view_->page()->RestoreFocus();
  }
}

void MainWindow::StartCaptureRestart(std::function<bool()> restart, std::function<void()> showFailure) {
  restart_ = std::move(restart);
  showFailure_ = std::move(showFailure);
  restartFailures_ = 0;
  restartTimer_.start();
}

void MainWindow::TryRestart() {
  if (restart_ && restart_()) return;
  ++restartFailures_;
  if (restartFailures_ >= kRestartAttempts) {
    if (showFailure_) showFailure_();
    ForceClose();
    return;
  }
  restartTimer_.start();
}

}  // namespace ntr::ui
