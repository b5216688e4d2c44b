#include "ui/forms/screen.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "app/switch_service.h"
#include "ui/forms/form_painting.h"
#include "ui/style/colours.h"
#include "ui/style/fonts.h"

namespace ntr::ui {

Screen::Screen(ScreenHost& navigator, SwitchView sw, int port, QSize size)
    : navigator_(navigator), port_(port), working_(std::make_unique<SwitchRecord>()) {
  if (sw != nullptr) {
    switch_ = sw.ref();
    hasSwitch_ = true;
    *working_ = sw.record();
  }
  setFixedSize(size);
  setFont(UiFont());
  setFocusPolicy(Qt::StrongFocus);
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { FocusMoved(now); });
}

Screen::~Screen() = default;

void Screen::FocusMoved(QWidget* now) {
  if (now == nullptr || now == this || !isAncestorOf(now)) return;
  lastFocus_ = now;
  navigator_.KeepVisible(QRect(now->mapTo(this, QPoint(0, 0)), now->size()));
}

void Screen::RestoreFocus() {
  if (lastFocus_ != nullptr && lastFocus_->isEnabled()) {
    lastFocus_->setFocus(Qt::OtherFocusReason);
  } else {
    setFocus(Qt::OtherFocusReason);
  }
}

void Screen::MoveFocusOnFrom(QWidget* control) {
  QTimer::singleShot(kFocusMoveMs, this, [this, control = QPointer<QWidget>(control)] {
    if (control == nullptr || stopped_ || control->window()->focusWidget() != control) return;
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(control, &tab);
  });
}

QPushButton* Screen::AddButton(const QString& id, const QString& text, QRect place) {
  auto* button = new QPushButton(text, this);
  button->setObjectName(id);
  button->setFont(UiFont());
  button->setFocusPolicy(Qt::StrongFocus);
  // The place may grow with its caption, never clip it.
  const int needed = button->fontMetrics().horizontalAdvance(text) + 12;
  if (needed > place.width()) place.setWidth(needed);
  button->setGeometry(place);
  actions_.push_back(button);
  return button;
}

Screen::ButtonRow Screen::AddSetCancelRow(RowButton first, RowButton second, int top,
                                          RowPlace place, int x, std::function<void()> action) {
  ButtonRow row;
  row.first =
      AddButton(first.id, QString::fromUtf8(first.text), QRect(0, top, first.width, kButtonHeight));
  row.second = AddButton(second.id, QString::fromUtf8(second.text),
                         QRect(0, top, second.width, kButtonHeight));
  switch (place) {
    case RowPlace::kCentred:
      row.first->move((x - (row.first->width() + kButtonSpacing + row.second->width())) / 2, top);
      row.second->move(row.first->geometry().right() + 1 + kButtonSpacing, top);
      break;
    case RowPlace::kAroundCentre:
      row.first->move(x / 2 - row.first->width() - kButtonSpacing / 2, top);
      row.second->move(x / 2 + kButtonSpacing / 2, top);
      break;
    case RowPlace::kFromLeft: {
      constexpr int kSpacing = 5;
      row.first->move(x, top);
      row.second->move(
          std::max(x + first.width + kSpacing, row.first->geometry().right() + 1 + kSpacing), top);
      break;
    }
  }
  connect(row.first, &QPushButton::clicked, this, std::move(action));
  connect(row.second, &QPushButton::clicked, this, [this] { Cancel(); });
  return row;
}

void Screen::SetActionsEnabled(bool enabled) {
  for (QPushButton* button : actions_) button->setEnabled(enabled);
}

void Screen::Apply() {
  if (job_ != 0 || stopped_) return;
  SwitchView sw = navigator_.Find(switch_);
  if (sw == nullptr) {
    navigator_.CloseFrame();
    return;
  }
  SetActionsEnabled(false);
  ErrorPair error;
  job_ = SwitchService(navigator_.app()).StartApply(switch_, Changes(), error);
  if (job_ == 0) ApplyFailed(QString::fromStdString(FormatErrorMessage(error)));
}

void Screen::ApplyResult(const Notice& notice) {
  job_ = 0;
  if (stopped_) return;
  if (navigator_.Find(switch_) == nullptr) return;
  if (notice.error.code == 0) {
    Applied();
  } else {
    ApplyFailed(QString::fromStdString(FormatErrorMessage(notice.error)));
  }
}

void Screen::Stop() {
  stopped_ = true;
  if (job_ == 0) return;
  SwitchService(navigator_.app()).StopApply(switch_, job_);
  job_ = 0;
}

void Screen::Applied() {
  const ApplyTexts texts = applyTexts();
  navigator_.ShowResult(title(), {texts.success}, texts.successTarget, switch_, port_);
}

void Screen::ApplyFailed(const QString& errorText) {
  const ApplyTexts texts = applyTexts();
  navigator_.ShowMessage(title(), {texts.failure, errorText}, texts.failureTarget, switch_, port_);
}

void Screen::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kPageColour);
  PaintTitle(painter, title(), width());
}

void Screen::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    Cancel();
    return;
  }
  QWidget::keyPressEvent(event);
}

// The frame scrolls a tall screen; the page behind it never gets the wheel.
void Screen::wheelEvent(QWheelEvent* event) { event->ignore(); }

}  // namespace ntr::ui
