// The program's one top-level window: no menu, the bare application title
// as caption, the scrolling page view as its content. It refuses to close
// while the window's input is disabled (a modal read or an apply runs), and
// after a resume from sleep it restarts the capture once a second until that
// works, giving up after the tenth failure.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <functional>

namespace ntr::ui {

class PageView;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kRestartAttempts = 10;
  static constexpr int kRestartPeriodMs = 1000;

  explicit MainWindow(PageView* view);

  PageView* view() const { return view_; }

  // Whether closing is allowed now; the shutdown step before the window closes.
  void SetCloseGuard(std::function<bool()> mayClose) { mayClose_ = std::move(mayClose); }
  void SetShutdown(std::function<void()> shutdown) { shutdown_ = std::move(shutdown); }
  // Where the keyboard focus goes back to when the window is activated.
  void SetFocusRestore(std::function<void()> restore) { restoreFocus_ = std::move(restore); }
  // Closes the window whatever the guard says (a fatal error was shown).
  void ForceClose();

  // After a resume: `restart` is tried every second; `showFailure` tells the
  // operator after the tenth failure, and the window closes.
  void StartCaptureRestart(std::function<bool()> restart, std::function<void()> showFailure);
  // The period of the attempts (1000 ms; tests shorten it).
  void SetRestartPeriod(int ms) { restartTimer_.setInterval(ms); }
  int restartAttempts() const { return restartFailures_; }
  bool restarting() const { return restartTimer_.isActive(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void TryRestart();

  PageView* view_;
  std::function<bool()> mayClose_;
  std::function<void()> shutdown_;
  std::function<void()> restoreFocus_;
  bool forced_ = false;
  bool shutDown_ = false;
  QTimer restartTimer_;
  int restartFailures_ = 0;
  std::function<bool()> restart_;
  std::function<void()> showFailure_;
};

}  // namespace ntr::ui
