// This computer (93x57): a flat-panel monitor on a stand with a network cable
// leaving it to the right and down towards the switches.
#include <QLinearGradient>
#include <QPainterPath>

#include "ui/switch_picture/artwork_kit.h"

namespace ntr::ui::artwork {

namespace {

void DrawCable(QPainter& painter) {
  QPainterPath cable;
  cable.moveTo(66, 30);
  cable.cubicTo(84, 30, 86, 36, 86, 46);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(22, 70, 140), 3.6, Qt::SolidLine, Qt::RoundCap));
  painter.drawPath(cable);
  painter.setPen(QPen(QColor(66, 140, 230), 2.0, Qt::SolidLine, Qt::RoundCap));
  painter.drawPath(cable);

  // The plug: boot and clear body with its contacts.
  painter.setPen(QPen(QColor(22, 70, 140), 1));
  painter.setBrush(QColor(66, 140, 230));
  painter.drawRoundedRect(QRectF(83.5, 44.5, 5, 4), 1, 1);
  QLinearGradient body(83, 48, 89, 48);
  body.setColorAt(0, QColor(225, 232, 240));
  body.setColorAt(1, QColor(178, 190, 204));
  painter.setBrush(body);
  painter.setPen(QPen(QColor(70, 84, 100), 1));
  painter.drawRect(QRectF(82.5, 48.5, 7, 7));
  painter.setPen(QPen(QColor(200, 160, 60), 0.8));
  for (int pin = 0; pin < 3; ++pin) {
    const qreal x = 84.5 + 1.5 * pin;
    painter.drawLine(QPointF(x, 52.5), QPointF(x, 55));
  }
}

void DrawMonitor(QPainter& painter) {
  // Stand and foot.
  QLinearGradient stand(0, 44, 0, 56);
  stand.setColorAt(0, QColor(120, 126, 134));
  stand.setColorAt(1, QColor(176, 182, 190));
  painter.setBrush(stand);
  painter.setPen(QPen(QColor(70, 75, 82), 1));
  painter.drawPolygon(
      QPolygonF({QPointF(30.5, 44), QPointF(41.5, 44), QPointF(43.5, 52.5), QPointF(28.5, 52.5)}));
  painter.drawRoundedRect(QRectF(18.5, 51.5, 35, 4), 2, 2);

  // Bezel.
  QLinearGradient bezel(0, 0, 0, 46);
  bezel.setColorAt(0, QColor(70, 76, 84));
  bezel.setColorAt(1, QColor(36, 40, 45));
  painter.setBrush(bezel);
  painter.setPen(QPen(QColor(20, 22, 25), 1));
  painter.drawRoundedRect(QRectF(0.5, 0.5, 71, 45), 3, 3);

  // Screen: a desktop with one window.
  QLinearGradient screen(0, 4, 0, 39);
  screen.setColorAt(0, QColor(92, 168, 255));
  screen.setColorAt(1, QColor(28, 88, 190));
  painter.setBrush(screen);
  painter.setPen(Qt::NoPen);
  painter.drawRect(QRectF(4, 4, 64, 35));
  painter.setBrush(QColor(255, 255, 255, 40));
  painter.drawPolygon(QPolygonF({QPointF(4, 4), QPointF(40, 4), QPointF(20, 39), QPointF(4, 39)}));
  painter.setBrush(QColor(248, 250, 252));
  painter.setPen(QPen(QColor(20, 60, 130), 1));
  painter.drawRect(QRectF(13.5, 10.5, 34, 20));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(40, 100, 200));
  painter.drawRect(QRectF(14, 11, 33, 4));
  painter.setBrush(QColor(190, 200, 212));
  for (int line = 0; line < 3; ++line)
    painter.drawRect(QRectF(17, 18 + 3.5 * line, 24 - 6 * line, 1.5));

  // Power light on the bezel.
  DrawLed(painter, QRectF(62, 41, 4, 2), QColor(60, 210, 100), true);
}

}  // namespace

void DrawComputer(QPainter& painter) {
  painter.save();
  DrawCable(painter);
  DrawMonitor(painter);
  painter.restore();
}

}  // namespace ntr::ui::artwork
