// The pop-up information window (template 150): a frameless child of the top
// panel that shows the application, a switch or a port next to the object
// under the pointer and keeps it current. One instance.
#pragma once

#include <QRect>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "ui/popup/popup_lines.h"
#include "ui/popup/popup_refresher.h"

namespace ntr::ui {

class PopupWindow : public QWidget {
  Q_OBJECT

 public:
  explicit PopupWindow(QWidget* parent);
  ~PopupWindow() override;

  // Shows `kind` (PopupKind) of `sw` and port `port` (0-based, -1 none) next
  // to `anchor` (in the parent's coordinates): 10 px right of its right edge
  // and 10 px below its top. Nothing when exactly this is shown already.
  void Show(int kind, SwitchView sw, int port, QRect anchor);
  // Hides the pop-up if it shows exactly this.
  void Hide(int kind, SwitchView sw, int port, QRect anchor);
  // Called just before `sw` is destroyed: hides it if shown, and when this
  // returns the refresh worker no longer touches it.
  void Forget(SwitchView sw);
  // Builds the text again from the current values (kPopupSwitchChanged, and
  // the worker's changes).
  void Rebuild();
  // The pointer at `global` is over the visible pop-up.
  bool ContainsGlobal(QPoint global) const;
  // Where kind 1 takes the version text and the number of managed switches.
  void SetApplicationInfo(std::function<QString()> version, std::function<int()> managedCount);

  // The lines painted now (tests).
  const std::vector<PopupLine>& lines() const { return lines_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Clear();
  void Raise();

  QFont font_;
  QFont boldFont_;
  std::function<QString()> version_;
  std::function<int()> managedCount_;
  bool shown_ = false;
  int kind_ = kPopupNone;
  SwitchView switch_ = nullptr;
  int port_ = -1;
  QRect anchor_;
  std::vector<PopupLine> lines_;
  QTimer timer_;
  PopupRefresher refresher_;  // last: its worker ends before the rest goes
};

}  // namespace ntr::ui
