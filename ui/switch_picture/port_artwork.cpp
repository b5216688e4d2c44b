// The port pictures (23x19): an RJ-45 socket in a metal shield with two LEDs
// beside the latch slot. Link pictures light the LEDs and tint the socket in
// the link colour; power pictures put a coloured lightning mark in the
// socket. Lower-row pictures are the upper-row ones mirrored top to bottom,
// latch and LEDs at the bottom.
#include <QLinearGradient>
#include <QPolygonF>

#include "ui/switch_picture/artwork_kit.h"

namespace ntr::ui::artwork {

namespace {

struct PortLook {
  bool lowerRow = false;
  bool power = false;  // a power picture, else a link picture
  bool lit = false;    // link up / power state shown in colour
  QColor colour;
};

PortLook LookOf(PictureId id) {
  switch (id) {
    case PictureId::kUpperLinkDown:
      return {false, false, false, {}};
    case PictureId::kUpperLink1000:
      return {false, false, true, kLink1000};
    case PictureId::kUpperLink100:
      return {false, false, true, kLink100};
    case PictureId::kUpperLink10:
      return {false, false, true, kLink10};
    case PictureId::kLowerLinkDown:
      return {true, false, false, {}};
    case PictureId::kLowerLink1000:
      return {true, false, true, kLink1000};
    case PictureId::kLowerLink100:
      return {true, false, true, kLink100};
    case PictureId::kLowerLink10:
      return {true, false, true, kLink10};
    case PictureId::kUpperPowerOff:
      return {false, true, false, kPowerOff};
    case PictureId::kUpperPowerClass0To3:
      return {false, true, true, kPowerClass0To3};
    case PictureId::kUpperPowerClass4:
      return {false, true, true, kPowerClass4};
    case PictureId::kUpperPowerFault:
      return {false, true, true, kPowerFault};
    case PictureId::kLowerPowerOff:
      return {true, true, false, kPowerOff};
    case PictureId::kLowerPowerClass0To3:
      return {true, true, true, kPowerClass0To3};
    case PictureId::kLowerPowerClass4:
      return {true, true, true, kPowerClass4};
    case PictureId::kLowerPowerFault:
      return {true, true, true, kPowerFault};
    default:
      return {};
  }
}

// The socket opening: a body with the latch slot above it.
QPolygonF OpeningShape() {
  return QPolygonF({QPointF(3, 6), QPointF(8, 6), QPointF(8, 3), QPointF(15, 3), QPointF(15, 6),
                    QPointF(20, 6), QPointF(20, 17), QPointF(3, 17)});
}

void DrawShield(QPainter& painter) {
  QLinearGradient metal(0, 0, 0, 19);
  metal.setColorAt(0, QColor(222, 226, 230));
  metal.setColorAt(1, QColor(160, 167, 175));
  painter.setBrush(metal);
  painter.setPen(QPen(QColor(18, 20, 23), 1));
  painter.drawRoundedRect(QRectF(0.5, 0.5, 22, 18), 1.5, 1.5);
}

void DrawOpening(QPainter& painter, const PortLook& look) {
  QLinearGradient inside(0, 3, 0, 17);
  if (look.lit && !look.power) {
    // The socket glows in the link colour, shaded under its top edge.
    inside.setColorAt(0, look.colour.darker(150));
    inside.setColorAt(0.35, look.colour.darker(112));
    inside.setColorAt(1, look.colour.lighter(108));
  } else if (look.power && look.lit) {
    inside.setColorAt(0, look.colour.darker(420));
    inside.setColorAt(1, look.colour.darker(260));
  } else {
    inside.setColorAt(0, QColor(8, 9, 11));
    inside.setColorAt(1, QColor(34, 37, 42));
  }
  painter.setBrush(inside);
  painter.setPen(QPen(QColor(12, 13, 15), 1));
  painter.drawPolygon(OpeningShape());
  // The eight contacts, opposite the latch.
  painter.setPen(Qt::NoPen);
  painter.setBrush(look.power || !look.lit ? QColor(176, 146, 70) : look.colour.darker(190));
  for (int pin = 0; pin < 8; ++pin) painter.drawRect(QRectF(4 + 2 * pin, 14, 1, 2.5));
}

void DrawPowerMark(QPainter& painter, const PortLook& look) {
  const QPainterPath bolt = BoltPath(QRectF(6.5, 3.5, 10, 13.5));
  painter.setPen(QPen(QColor(10, 11, 13), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(bolt);
  QLinearGradient fill(0, 3, 0, 17);
  fill.setColorAt(0, look.colour.lighter(135));
  fill.setColorAt(1, look.colour);
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  painter.drawPath(bolt);
}

}  // namespace

void DrawPort(QPainter& painter, PictureId id) {
  const PortLook look = LookOf(id);
  painter.save();
  if (look.lowerRow) {
    painter.translate(0, 19);
    painter.scale(1, -1);
  }
  DrawShield(painter);
  DrawOpening(painter, look);
  DrawLed(painter, QRectF(2, 2, 4, 2.5), look.colour, look.lit);
  DrawLed(painter, QRectF(17, 2, 4, 2.5), look.colour, look.lit);
  if (look.power) DrawPowerMark(painter, look);
  painter.restore();
}

}  // namespace ntr::ui::artwork
