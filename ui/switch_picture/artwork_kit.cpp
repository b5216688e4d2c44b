#include "ui/switch_picture/artwork_kit.h"

#include <QLinearGradient>
#include <QPolygonF>

#include "ui/style/fonts.h"

namespace ntr::ui::artwork {

QFont LabelFont(qreal pixelSize, bool bold) {
  QFont font = UiFont(10, bold);
  font.setFamilies(QStringList{"DejaVu Sans", "Liberation Sans"} + UiFontFamilies());
  font.setPixelSize(qRound(pixelSize));
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

QPainterPath BoltPath(const QRectF& box) {
  // Points of the mark in a unit square, top to bottom.
  static const QPointF kUnit[] = {{0.66, 0.0},  {0.08, 0.58}, {0.44, 0.58}, {0.30, 1.0},
                                  {0.92, 0.38}, {0.56, 0.38}, {0.76, 0.0}};
  QPolygonF polygon;
  for (const QPointF& point : kUnit) {
    polygon << QPointF(box.left() + point.x() * box.width(), box.top() + point.y() * box.height());
  }
  QPainterPath path;
  path.addPolygon(polygon);
  path.closeSubpath();
  return path;
}

void DrawLed(QPainter& painter, const QRectF& rect, const QColor& colour, bool lit) {
  painter.save();
  if (lit) {
    // A soft halo, then the lens with a light spot.
    QColor halo = colour;
    halo.setAlpha(70);
    painter.setPen(Qt::NoPen);
    painter.setBrush(halo);
    painter.drawRoundedRect(rect.adjusted(-1, -1, 1, 1), 2, 2);
    QLinearGradient lens(rect.topLeft(), rect.bottomLeft());
    lens.setColorAt(0, colour.lighter(150));
    lens.setColorAt(1, colour);
    painter.setBrush(lens);
    painter.setPen(QPen(colour.darker(160), 0.6));
  } else {
    painter.setBrush(QColor(52, 56, 62));
    painter.setPen(QPen(QColor(20, 22, 25), 0.6));
  }
  painter.drawRoundedRect(rect, 1, 1);
  painter.restore();
}

void DrawButtonFace(QPainter& painter, const QRectF& rect) {
  painter.save();
  // Drop shadow on the chassis, then the face with a light top edge.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 90));
  painter.drawRoundedRect(rect.adjusted(0.5, 1.0, 0.5, 1.0), 3, 3);
  QLinearGradient face(rect.topLeft(), rect.bottomLeft());
  face.setColorAt(0, QColor(250, 251, 252));
  face.setColorAt(0.5, QColor(226, 229, 233));
  face.setColorAt(1, QColor(196, 201, 207));
  painter.setBrush(face);
  painter.setPen(QPen(QColor(24, 26, 30), 1));
  painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
  painter.setPen(QPen(QColor(255, 255, 255, 200), 1));
  painter.drawLine(QPointF(rect.left() + 3, rect.top() + 1.5),
                   QPointF(rect.right() - 3, rect.top() + 1.5));
  painter.restore();
}

}  // namespace ntr::ui::artwork
