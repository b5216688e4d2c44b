// The progress of a switch's settings read (template 185): modeless, shown by
// the view while a modal read runs.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace ntr::ui {

class ProgressDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ProgressDialog(QWidget* parent);

  // Shows n % (text 1025 and bar 1030); nothing when n is the current value.
  void SetPercent(int percent);
  int percent() const { return percent_; }

 signals:
  // Esc or the window system's close: the dialog stays and the view decides
  // (its own close is refused while a modal read runs). hide(), close() and
  // delete from the program work as usual.
  void closeRequested();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void ShowPercent();

  int percent_ = 0;
  QLabel* heading_;
  QLabel* text_;
  QProgressBar* bar_;
};

}  // namespace ntr::ui
