// One managed switch on the top page: its picture in icon or detailed
// display, the state of every port, the hover information and the clicks
// that change the display or open the switch's screens.
//
// The panel reads the switch's record when it paints; it never sends a
// request itself (the status poll it asks for runs on the switch's settings
// thread). It lives while its switch is managed: the page deletes it when
// the switch is about to go.
#pragma once

#include <QTimer>
#include <QWidget>

#include "app/switch_view.h"
#include "base/notification.h"
#include "ui/popup/popup_lines.h"
#include "ui/switch_picture/switch_geometry.h"
#include "ui/switch_picture/switch_painting.h"

namespace ntr::ui {

class PopupWindow;

class SwitchPanel : public QWidget {
  Q_OBJECT

 public:
  SwitchPanel(SwitchView sw, PopupWindow* popup, QWidget* parent);

  SwitchView switchView() const { return sw_; }
  SwitchRef ref() const { return ref_; }
  bool detailed() const { return detailed_; }
  bool powerDisplay() const { return powerDisplay_; }
  bool clickGuarded() const { return clickGuard_.isActive(); }
  bool modelKnown() const;

  // Icon or detailed display (detailed only for a known model).
  void SetDetailed(bool detailed);
  // The PoE model's ports show their power state instead of their link.
  void SetPowerDisplay(bool on);
  // The switch started a synchronisation, or its work ended (0x602, 0x603).
  void ResyncStarted();
  void WorkFinished();
  // The hover step at a point of the panel (also after the pointer left the
  // pop-up); a point outside the panel hides what the panel showed.
  void HoverAt(QPoint point);
  // Whether the pop-up currently shows something of this panel.
  bool hovering() const { return hoverKind_ != kPopupNone; }
  // The settings-failure report of the switch, when one is pending.
  void SetFailureReporter(std::function<void(SwitchView)> report) { report_ = std::move(report); }

 signals:
  // A double click asks for the switch's main screen (port -1) or a port screen.
  void screenRequested(ntr::SwitchRef ref, int port);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QRect Chassis() const;
  SwitchZone ZoneAt(QPoint point) const;
  void DisplayChanged();
  void RequestStatus();
  void HidePopup();

  SwitchView sw_;
  const SwitchRef ref_;
  PopupWindow* popup_;
  bool detailed_ = false;
  bool powerDisplay_ = false;
  QTimer clickGuard_;   // 500 ms after a click that changed the display
  QTimer statusTimer_;  // the status poll every 60 s
  int hoverKind_ = kPopupNone;
  int hoverPort_ = -1;
  QRect hoverRect_;
  QRect shownAnchor_;  // the rectangle last given to the pop-up, in its parent
  std::function<void(SwitchView)> report_;
};

}  // namespace ntr::ui
