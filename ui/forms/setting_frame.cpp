#include "ui/forms/setting_frame.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include "ui/forms/screen_ids.h"
#include "ui/style/colours.h"
#include "ui/style/fonts.h"

namespace ntr::ui {

SettingFrame::SettingFrame(QWidget* page, std::function<void(QPoint)> reportEdges)
    : QWidget(page), reportEdges_(std::move(reportEdges)) {
  setObjectName("settingFrame");
  setMouseTracking(true);
  body_ = new QWidget(this);
  body_->setObjectName("frameBody");
  body_->setAutoFillBackground(true);
  QPalette palette = body_->palette();
  palette.setColor(QPalette::Window, kPageColour);
  body_->setPalette(palette);
  horizontal_ = new QScrollBar(Qt::Horizontal, this);
  horizontal_->setObjectName(ids::frame::kHorizontalBar);
  vertical_ = new QScrollBar(Qt::Vertical, this);
  vertical_->setObjectName(ids::frame::kVerticalBar);
  for (QScrollBar* bar : {horizontal_, vertical_}) {
    bar->setSingleStep(kScrollStep);
    bar->setPageStep(kScrollStep);
    bar->hide();
    connect(bar, &QScrollBar::valueChanged, this, &SettingFrame::PlaceScreen);
  }
  hide();
}

void SettingFrame::Host(QWidget* screen) {
  if (hosted_ != nullptr && hosted_ != screen) hosted_->hide();
  hosted_ = screen;
  folded_ = false;
  horizontal_->setValue(0);
  vertical_->setValue(0);
  const QSize full = screen->size();
  bodySize_ = full.expandedTo(kMinimumBody).boundedTo(kMaximumBody);
  const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const bool wide = full.width() > kMaximumBody.width();
  const bool tall = full.height() > kMaximumBody.height();
  horizontal_->setRange(0, wide ? full.width() - kMaximumBody.width() : 0);
  vertical_->setRange(0, tall ? full.height() - kMaximumBody.height() : 0);
  horizontal_->setVisible(wide);
  vertical_->setVisible(tall);
  const QSize inner(bodySize_.width() + (tall ? barWidth : 0),
                    bodySize_.height() + (wide ? barWidth : 0));
  resize(inner.width() + 2 * kBorder, kCaptionHeight + inner.height() + kBorder);
  body_->setGeometry(kBorder, kCaptionHeight, bodySize_.width(), bodySize_.height());
  horizontal_->setGeometry(kBorder, kCaptionHeight + bodySize_.height(), bodySize_.width(),
                           barWidth);
  vertical_->setGeometry(kBorder + bodySize_.width(), kCaptionHeight, barWidth, bodySize_.height());
  screen->setParent(body_);
  PlaceScreen();
  move(VisibleOrigin() + kHomePosition);
  Reshape();
  raise();
  show();
  screen->show();
  ReportEdges();
}

void SettingFrame::Empty() {
  hosted_ = nullptr;
  moving_ = false;
  pressed_ = hovered_ = Part::kNone;
  hide();
  if (reportEdges_) reportEdges_(QPoint());
}

void SettingFrame::Close() {
  if (close_) {
    close_();
  } else {
    Empty();
  }
}

void SettingFrame::SetFolded(bool folded) {
  folded_ = folded;
  Reshape();
  ReportEdges();
}

void SettingFrame::EnsureVisible(const QRect& rect) {
  constexpr int kMargin = 5;
  const QRect shown(horizontal_->value(), vertical_->value(), bodySize_.width(),
                    bodySize_.height());
  const QRect wanted = rect.adjusted(-kMargin, -kMargin, kMargin, kMargin);
  int x = shown.x();
  int y = shown.y();
  if (wanted.right() > shown.right()) x += wanted.right() - shown.right();
  if (wanted.left() < x) x = wanted.left();
  if (wanted.bottom() > shown.bottom()) y += wanted.bottom() - shown.bottom();
  if (wanted.top() < y) y = wanted.top();
  horizontal_->setValue(x);  // the bars clamp to their ranges
  vertical_->setValue(y);
}

// The top left corner of the part of the page that shows: the page is the
// content of a scrolling view, so its parent (the view's viewport) is what
// the operator sees. A page shown on its own shows from its origin.
QPoint SettingFrame::VisibleOrigin() const {
  const QWidget* page = parentWidget();
  if (page == nullptr || page->parentWidget() == nullptr) return QPoint(0, 0);
  const QPoint origin = page->mapFrom(page->parentWidget(), QPoint(0, 0));
  return QPoint(std::max(0, origin.x()), std::max(0, origin.y()));
}

void SettingFrame::Reshape() {
  const QRect tab(0, 0, kTabWidth, kCaptionHeight);
  QRegion region(tab);
  if (!folded_) region += QRect(0, kCaptionHeight, width(), height() - kCaptionHeight);
  setMask(region);
  update();
}

void SettingFrame::PlaceScreen() {
  if (hosted_ != nullptr) hosted_->move(-horizontal_->value(), -vertical_->value());
}

void SettingFrame::ReportEdges() {
  if (!reportEdges_ || isHidden()) return;
  reportEdges_(folded_ ? pos() + QPoint(kTabWidth, kCaptionHeight)
                       : geometry().bottomRight() + QPoint(1, 1));
}

SettingFrame::Part SettingFrame::PartAt(QPoint point) const {
  if (kFoldButton.contains(point)) return Part::kFold;
  if (kCloseButton.contains(point)) return Part::kClose;
  if (point.y() < kCaptionHeight && point.x() < kTabWidth) return Part::kCaption;
  return Part::kNone;
}

void SettingFrame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, false);
  // Tab and border in the frame's colour, a white line inside the border.
  painter.fillRect(QRect(0, 0, kTabWidth, kCaptionHeight), kFrameColour);
  if (!folded_) {
    painter.fillRect(QRect(0, kCaptionHeight, width(), height() - kCaptionHeight), kFrameColour);
    painter.setPen(kPageColour);
    painter.drawRect(QRect(kBorder - 1, kCaptionHeight - 1, width() - 2 * kBorder + 1,
                           height() - kCaptionHeight - kBorder + 1));
  }
  // A lighter band across the top of the tab gives it depth.
  QLinearGradient shine(0, 0, 0, kCaptionHeight);
  shine.setColorAt(0, QColor(255, 255, 255, 90));
  shine.setColorAt(1, QColor(255, 255, 255, 0));
  painter.fillRect(QRect(1, 1, kTabWidth - 2, kCaptionHeight - 2), shine);
  painter.setPen(Qt::white);
  painter.setFont(UiFont(10, true));
  painter.drawText(QRect(8, 0, kFoldButton.left() - 10, kCaptionHeight),
                   Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Setting"));
  PaintButton(painter, Part::kFold);
  PaintButton(painter, Part::kClose);
}

void SettingFrame::PaintButton(QPainter& painter, Part part) const {
  const QRect box = part == Part::kFold ? kFoldButton : kCloseButton;
  const bool down = pressed_ == part && hovered_ == part;
  const bool hot = hovered_ == part;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QRectF face = QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.setPen(QPen(Qt::white, 1));
  painter.setBrush(down  ? kFrameColour.darker(130)
                   : hot ? QColor(Qt::white)
                         : kFrameColour.lighter(112));
  painter.drawRoundedRect(face, 3, 3);
  const QColor glyph = hot && !down ? kFrameColour.darker(140) : QColor(Qt::white);
  painter.setPen(QPen(glyph, 2, Qt::SolidLine, Qt::RoundCap));
  const QPointF c = QRectF(box).center();
  if (part == Part::kClose) {
    painter.drawLine(c + QPointF(-4, -4), c + QPointF(4, 4));
    painter.drawLine(c + QPointF(-4, 4), c + QPointF(4, -4));
  } else if (folded_) {  // unfold: a chevron pointing down
    painter.drawLine(c + QPointF(-5, -2), c + QPointF(0, 3));
    painter.drawLine(c + QPointF(0, 3), c + QPointF(5, -2));
  } else {  // fold: a bar at the bottom
    painter.drawLine(c + QPointF(-5, 4), c + QPointF(5, 4));
  }
  painter.restore();
}

void SettingFrame::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const Part part = PartAt(event->position().toPoint());
  if (part == Part::kFold || part == Part::kClose) {
    pressed_ = hovered_ = part;
    update(part == Part::kFold ? kFoldButton : kCloseButton);
  } else if (part == Part::kCaption) {
    moving_ = true;
    grab_ = event->position().toPoint();
  }
}

void SettingFrame::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (moving_) {
    QPoint target = mapToParent(at) - grab_;
    target.setX(std::max(0, target.x()));
    target.setY(std::max(0, target.y()));
    move(target);
    ReportEdges();
    return;
  }
  Part part = PartAt(at);
  if (part == Part::kCaption) part = Part::kNone;
  if (part != hovered_) {
    hovered_ = part;
    update(QRect(0, 0, kTabWidth, kCaptionHeight));
  }
}

void SettingFrame::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  moving_ = false;
  const Part released = PartAt(event->position().toPoint());
  const Part pressed = std::exchange(pressed_, Part::kNone);
  update(QRect(0, 0, kTabWidth, kCaptionHeight));
  if (pressed != released) return;
  if (released == Part::kFold) SetFolded(!folded_);
  if (released == Part::kClose) Close();
}

void SettingFrame::leaveEvent(QEvent*) {
  if (hovered_ == Part::kNone) return;
  hovered_ = Part::kNone;
  update(QRect(0, 0, kTabWidth, kCaptionHeight));
}

// The wheel scrolls the hosted screen while it is taller than the frame, and
// never reaches the page behind the frame.
void SettingFrame::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (!vertical_->isVisible()) return;
  const int steps = event->angleDelta().y() / 120;
  vertical_->setValue(vertical_->value() - steps * kScrollStep);
}

}  // namespace ntr::ui
