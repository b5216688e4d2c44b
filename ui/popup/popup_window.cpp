#include "ui/popup/popup_window.h"

#include <QFontMetrics>
#include <QPainter>

#include "app/switch_view.h"
#include "ui/popup/popup_ids.h"
#include "ui/style/fonts.h"

namespace ntr::ui {
namespace {

const QColor kBackground{237, 239, 247};
const QColor kFrame{148, 161, 224};
constexpr int kFrameWidth = kPopupFrameWidth;
constexpr int kOffset = 10;  // from the anchor's right edge and its top

}  // namespace

PopupWindow::PopupWindow(QWidget* parent)
    : QWidget(parent), font_(DialogFont()), boldFont_(DialogFont()), refresher_([this] {
        QMetaObject::invokeMethod(this, &PopupWindow::Rebuild, Qt::QueuedConnection);
      }) {
  setObjectName(ids::popup::kWindow);
  boldFont_.setBold(true);
  setFont(font_);
  hide();
  connect(&timer_, &QTimer::timeout, this, [this] { refresher_.Tick(); });
}

PopupWindow::~PopupWindow() = default;

void PopupWindow::SetApplicationInfo(std::function<QString()> version,
                                     std::function<int()> managedCount) {
  version_ = std::move(version);
  managedCount_ = std::move(managedCount);
}

void PopupWindow::Show(int kind, SwitchView sw, int port, QRect anchor) {
  if (shown_ && kind == kind_ && sw == switch_ && port == port_ && anchor == anchor_) return;
  const bool sameTarget = shown_ && kind == kind_ && sw == switch_ && port == port_;
  shown_ = true;
  kind_ = kind;
  switch_ = sw;
  port_ = port;
  anchor_ = anchor;
  if (!sameTarget) {
    refresher_.Show(kind, sw, port);
    // The first refresh at once: a port's counters should not wait for the
    // first period (a minute on the models without PoE).
    refresher_.Tick();
  }
  Raise();
  show();
  Rebuild();
}

// Above the page's panels, under the setting frame: the frame floats over
// everything on the page, as the operator works in it.
void PopupWindow::Raise() {
  raise();
  QWidget* frame = parentWidget() == nullptr
                       ? nullptr
                       : parentWidget()->findChild<QWidget*>(QStringLiteral("settingFrame"),
                                                             Qt::FindDirectChildrenOnly);
  if (frame != nullptr && frame->isVisible()) stackUnder(frame);
}

void PopupWindow::Hide(int kind, SwitchView sw, int port, QRect anchor) {
  if (!shown_ || kind != kind_ || sw != switch_ || port != port_ || anchor != anchor_) return;
  Clear();
}

void PopupWindow::Forget(SwitchView sw) {
  if (shown_ && switch_ == sw) Clear();
  refresher_.Forget(sw);
}

void PopupWindow::Clear() {
  shown_ = false;
  kind_ = kPopupNone;
  switch_ = nullptr;
  port_ = -1;
  anchor_ = QRect();
  lines_.clear();
  timer_.stop();
  hide();
  refresher_.Hide();
}

void PopupWindow::Rebuild() {
  if (!shown_) return;
  PopupSubject subject;
  subject.kind = kind_;
  subject.port = port_;
  if (switch_ != nullptr) {
    subject.record = &switch_.record();
    const SwitchPhase phase = switch_.status().phase;
    subject.reading = phase == SwitchPhase::kIdentifying || phase == SwitchPhase::kReading;
  }
  if (version_) subject.version = version_();
  if (managedCount_) subject.managedCount = managedCount_();

  const QFontMetrics normal(font_);
  const QFontMetrics bold(boldFont_);
  PopupText text = BuildPopupText(subject, [&](const QString& line, bool isBold) {
    const QFontMetrics& metrics = isBold ? bold : normal;
    return QSize(metrics.horizontalAdvance(line), metrics.height());
  });
  lines_ = std::move(text.lines);
  if (text.refreshMs == 0) {
    timer_.stop();
  } else if (!timer_.isActive() || timer_.interval() != text.refreshMs) {
    timer_.start(text.refreshMs);
  }
  if (lines_.empty()) {
    hide();
    return;
  }
  setGeometry(anchor_.x() + anchor_.width() + kOffset, anchor_.y() + kOffset, text.size.width(),
              text.size.height());
  update();
}

bool PopupWindow::ContainsGlobal(QPoint global) const {
  return isVisible() && QRect(mapToGlobal(QPoint(0, 0)), size()).contains(global);
}

void PopupWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect all = rect();
  painter.fillRect(all, kBackground);
  painter.fillRect(0, 0, all.width(), kFrameWidth, kFrame);
  painter.fillRect(0, all.height() - kFrameWidth, all.width(), kFrameWidth, kFrame);
  painter.fillRect(0, 0, kFrameWidth, all.height(), kFrame);
  painter.fillRect(all.width() - kFrameWidth, 0, kFrameWidth, all.height(), kFrame);
  for (const PopupLine& line : lines_) {
    painter.setFont(line.bold ? boldFont_ : font_);
    painter.setPen(line.colour);
    painter.drawText(line.position.x(), line.position.y() + painter.fontMetrics().ascent(),
                     line.text);
  }
}

}  // namespace ntr::ui
