#include "ui/top_page/switch_panel.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>

#include "app/switch_service.h"
#include "ui/popup/popup_window.h"
#include "ui/style/colours.h"
#include "ui/top_page/top_page_ids.h"

namespace ntr::ui {

namespace {

constexpr int kClickGuardMs = 500;
constexpr int kStatusPeriodMs = 60000;

}  // namespace

SwitchPanel::SwitchPanel(SwitchView sw, PopupWindow* popup, QWidget* parent)
    : QWidget(parent), sw_(sw), ref_(sw.ref()), popup_(popup) {
  setObjectName(ids::top::kSwitchPanel);
  setFixedSize(kSwitchPanelSize);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  clickGuard_.setSingleShot(true);
  clickGuard_.setInterval(kClickGuardMs);
  statusTimer_.setInterval(kStatusPeriodMs);
  connect(&statusTimer_, &QTimer::timeout, this, &SwitchPanel::RequestStatus);
  statusTimer_.start();
  hide();  // the page shows it when it lays the panels out
}

bool SwitchPanel::modelKnown() const {
  const int model = sw_.record().modelCode.load();
  return model >= 1 && model <= 3;
}

void SwitchPanel::SetDetailed(bool detailed) {
  if (detailed && !modelKnown()) return;
  if (detailed_ == detailed) return;
  detailed_ = detailed;
  update();
}

void SwitchPanel::SetPowerDisplay(bool on) {
  if (powerDisplay_ == on) return;
  powerDisplay_ = on;
  update();
}

QRect SwitchPanel::Chassis() const {
  return ChassisRect(modelKnown() ? sw_.record().modelCode.load() : 0, detailed_ && modelKnown(),
                     height());
}

SwitchZone SwitchPanel::ZoneAt(QPoint point) const {
  if (popup_ != nullptr && popup_->ContainsGlobal(mapToGlobal(point))) return {};
  return HitTest(modelKnown() ? sw_.record().modelCode.load() : 0, detailed_ && modelKnown(),
                 Chassis(), point);
}

void SwitchPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kPageColour);
  const bool known = modelKnown();
  const SwitchPictureState state =
      PictureStateOf(sw_.record(), detailed_ && known, powerDisplay_, sw_.polledOnce());
  PaintSwitch(painter, state, height());
}

void SwitchPanel::mouseMoveEvent(QMouseEvent* event) { HoverAt(event->position().toPoint()); }

void SwitchPanel::leaveEvent(QEvent*) {
  // Onto the pop-up: nothing changes; the pop-up's own leave brings the
  // pointer back to the page.
  if (popup_ != nullptr && popup_->ContainsGlobal(QCursor::pos())) return;
  HoverAt(QPoint(-1, -1));
}

void SwitchPanel::HoverAt(QPoint point) {
  if (popup_ == nullptr) return;
  if (rect().contains(point) && popup_->ContainsGlobal(mapToGlobal(point))) return;
  const SwitchZone zone = rect().contains(point) ? ZoneAt(point) : SwitchZone{};
  int kind = kPopupNone;
  int port = -1;
  if (modelKnown()) {
    if (zone.kind == SwitchZoneKind::kPort) {
      kind = kPopupPort;
      port = zone.port;
    } else if (zone.kind != SwitchZoneKind::kNone) {
      kind = kPopupSwitch;
    }
  } else if (zone.kind == SwitchZoneKind::kChassis) {
    kind = kPopupUnknownModel;
  }
  if (kind == kPopupNone) {
    HidePopup();
    return;
  }
  if (kind == hoverKind_ && port == hoverPort_ && zone.rect == hoverRect_) return;
  hoverKind_ = kind;
  hoverPort_ = port;
  hoverRect_ = zone.rect;
  const QRect chassis = Chassis();
  shownAnchor_ = QRect(mapTo(popup_->parentWidget(), chassis.topLeft()), chassis.size());
  popup_->Show(kind, sw_, port, shownAnchor_);
}

// By what the pop-up was given: the chassis may have changed its size (a
// click expanded or folded it) or the panel its place since.
void SwitchPanel::HidePopup() {
  if (hoverKind_ == kPopupNone) return;
  popup_->Hide(hoverKind_, sw_, hoverPort_, shownAnchor_);
  hoverKind_ = kPopupNone;
  hoverPort_ = -1;
  hoverRect_ = {};
  shownAnchor_ = {};
}

void SwitchPanel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !modelKnown()) return;
  const SwitchZone zone = ZoneAt(event->position().toPoint());
  if (!detailed_) {
    if (zone.kind != SwitchZoneKind::kChassis) return;
    detailed_ = true;
    DisplayChanged();
    return;
  }
  if (zone.kind == SwitchZoneKind::kFoldButton) {
    detailed_ = false;
    DisplayChanged();
  } else if (zone.kind == SwitchZoneKind::kPowerButton) {
    SetPowerDisplay(!powerDisplay_);
  }
}

void SwitchPanel::DisplayChanged() {
  clickGuard_.start();
  HidePopup();  // the zones moved: the next move shows what is under the pointer now
  update();
}

void SwitchPanel::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !modelKnown() || clickGuarded()) return;
  const SwitchZone zone = ZoneAt(event->position().toPoint());
  if (zone.kind == SwitchZoneKind::kNone) return;
  emit screenRequested(ref_, zone.kind == SwitchZoneKind::kPort ? zone.port : -1);
  HoverAt(mapFromGlobal(QCursor::pos()));
}

void SwitchPanel::RequestStatus() {
  if (!modelKnown()) return;
  ErrorPair error;
  SwitchService::RequestPoll(
      sw_, error);  // refused while the switch is busy: the next period asks again
}

void SwitchPanel::ResyncStarted() {
  statusTimer_.stop();
  update();
}

void SwitchPanel::WorkFinished() {
  if (!modelKnown()) {
    update();
    return;
  }
  update();
  if (report_ && !sw_.record().failures.empty()) report_(sw_);
  RequestStatus();
  statusTimer_.start();
}

}  // namespace ntr::ui
