#include "ui/main_window/main_window.h"

#include <QCloseEvent>
#include <QScreen>

#include "app/operator.h"
#include "ui/main_window/page_view.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

constexpr QSize kFirstSize{860, 720};
// Room for the window manager's frame and caption around the window.
constexpr QSize kDecorationRoom{16, 48};

}  // namespace

MainWindow::MainWindow(PageView* view) : view_(view) {
  setObjectName("mainWindow");
  setWindowTitle(ToQt(kApplicationTitle));
  setCentralWidget(view_);
  // The usual first size, but no larger than the screen's free area (in the
  // window's own pixels: a scale factor makes the screen smaller).
  QSize first = kFirstSize;
  if (const QScreen* shown = screen())
    first = first.boundedTo(shown->availableGeometry().size() - kDecorationRoom);
  resize(first);
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
  if (event->type() != QEvent::ActivationChange || !isActiveWindow() || !view_->page()->isEnabled())
    return;
  if (restoreFocus_) {
    restoreFocus_();
  } else {
    view_->page()->RestoreFocus();
  }
}

void MainWindow::StartCaptureRestart(std::function<bool()> restart,
                                     std::function<void()> showFailure) {
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
