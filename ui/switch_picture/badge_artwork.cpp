// The two 21x21 badges: power saving (a white leaf on a green disc) and alarm
// (an amber warning triangle with a red rim and an exclamation mark).
#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include "ui/switch_picture/artwork_kit.h"

namespace ntr::ui::artwork {

void DrawEconomyBadge(QPainter& painter) {
  painter.save();
  QRadialGradient disc(QPointF(8, 6), 16);
  disc.setColorAt(0, QColor(120, 222, 120));
  disc.setColorAt(1, QColor(30, 150, 62));
  painter.setBrush(disc);
  painter.setPen(QPen(QColor(18, 100, 42), 1));
  painter.drawEllipse(QRectF(0.5, 0.5, 20, 20));

  // The leaf, its tip at the top right, and its stem.
  QPainterPath leaf;
  leaf.moveTo(5.5, 15.5);
  leaf.cubicTo(4.0, 9.0, 9.0, 4.5, 16.0, 4.5);
  leaf.cubicTo(16.5, 11.5, 12.0, 16.0, 5.5, 15.5);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255));
  painter.drawPath(leaf);
  painter.setPen(QPen(QColor(36, 150, 64), 1.1, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  QPainterPath vein;
  vein.moveTo(7.0, 14.0);
  vein.quadTo(10.5, 9.5, 14.0, 7.0);
  painter.drawPath(vein);
  painter.setPen(QPen(QColor(255, 255, 255), 1.4, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(5.5, 15.5), QPointF(4.0, 17.0));
  painter.restore();
}

void DrawAlarmBadge(QPainter& painter) {
  painter.save();
  const QPolygonF triangle({QPointF(10.5, 1.2), QPointF(20.0, 19.3), QPointF(1.0, 19.3)});
  QLinearGradient fill(0, 1, 0, 20);
  fill.setColorAt(0, QColor(255, 216, 77));
  fill.setColorAt(1, QColor(255, 160, 0));
  painter.setBrush(fill);
  painter.setPen(QPen(QColor(196, 38, 30), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPolygon(triangle);

  // The exclamation mark: a tapered bar and a dot.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(60, 24, 8));
  painter.drawPolygon(
      QPolygonF({QPointF(9.3, 7.0), QPointF(11.7, 7.0), QPointF(11.1, 13.6), QPointF(9.9, 13.6)}));
  painter.drawEllipse(QPointF(10.5, 16.0), 1.3, 1.3);
  painter.restore();
}

}  // namespace ntr::ui::artwork
