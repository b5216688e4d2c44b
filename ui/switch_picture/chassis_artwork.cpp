// The chassis pictures: a rack switch's front in graphite with a bevelled
// edge, the model label, status LEDs and the port openings. The detailed
// pictures put every opening exactly where the panel draws that port's
// picture and carry the fold button (and, on the 8PoE, the power-display
// button) where their zones are. The icons are small front views of the same
// switches; a switch of unknown model is a greyed chassis with a question mark.
#include <QFontMetricsF>
#include <QLinearGradient>

#include "catalogue/switch_model.h"
#include "ui/switch_picture/artwork_kit.h"
#include "ui/switch_picture/switch_geometry.h"

namespace ntr::ui::artwork {

namespace {

struct ChassisLook {
  int model = 0;
  bool detailed = false;
  QString label;     // "8G", "24G", "8PoE"
  QString subtitle;  // detailed only
};

ChassisLook LookOf(PictureId id) {
  switch (id) {
    case PictureId::kIcon8G:
      return {kModel8G, false, "8G", {}};
    case PictureId::kDetail8G:
      return {kModel8G, true, "8G", "GIGABIT SWITCH"};
    case PictureId::kIcon24G:
      return {kModel24G, false, "24G", {}};
    case PictureId::kDetail24G:
      return {kModel24G, true, "24G", "GIGABIT SWITCH"};
    case PictureId::kIconPoe:
      return {kModel8PoE, false, "8PoE", {}};
    case PictureId::kDetailPoe:
      return {kModel8PoE, true, "8PoE", "GIGABIT PoE SWITCH"};
    default:
      return {};
  }
}

bool IsPoe(const ChassisLook& look) { return look.model == kModel8PoE; }

// Body with a graphite gradient, a light bevel at the top and a dark one at
// the bottom.
void DrawBody(QPainter& painter, const QSizeF& size, bool greyed) {
  const QRectF body(0.5, 0.5, size.width() - 1, size.height() - 1);
  QLinearGradient face(0, 0, 0, size.height());
  if (greyed) {
    face.setColorAt(0, QColor(222, 225, 229));
    face.setColorAt(1, QColor(186, 191, 197));
  } else {
    face.setColorAt(0, QColor(94, 101, 110));
    face.setColorAt(0.12, QColor(72, 78, 86));
    face.setColorAt(0.6, QColor(56, 61, 68));
    face.setColorAt(1, QColor(40, 44, 49));
  }
  painter.setBrush(face);
  painter.setPen(QPen(greyed ? QColor(140, 146, 153) : QColor(18, 20, 23), 1));
  painter.drawRoundedRect(body, 3.5, 3.5);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(255, 255, 255, greyed ? 150 : 60), 1));
  painter.drawLine(QPointF(3.5, 1.5), QPointF(size.width() - 3.5, 1.5));
  painter.setPen(QPen(QColor(0, 0, 0, greyed ? 30 : 80), 1));
  painter.drawLine(QPointF(3.5, size.height() - 1.5),
                   QPointF(size.width() - 3.5, size.height() - 1.5));
}

// A recessed dark field behind a group of ports.
void DrawPortBay(QPainter& painter, const QRectF& rect) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 28));
  painter.drawRoundedRect(rect.translated(0, 1), 2.5, 2.5);
  QLinearGradient well(rect.topLeft(), rect.bottomLeft());
  well.setColorAt(0, QColor(14, 15, 17));
  well.setColorAt(1, QColor(30, 33, 37));
  painter.setBrush(well);
  painter.setPen(QPen(QColor(10, 11, 13), 1));
  painter.drawRoundedRect(rect, 2.5, 2.5);
}

void DrawText(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
              const QColor& colour, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(rect, align, text);
}

// "8PoE" style label with the PoE lightning mark after it; returns its right edge.
qreal DrawModelLabel(QPainter& painter, const ChassisLook& look, const QRectF& rect,
                     qreal pixelSize) {
  const QFont font = LabelFont(pixelSize, true);
  DrawText(painter, rect, look.label, font, QColor(246, 248, 250));
  const qreal right = rect.left() + QFontMetricsF(font).horizontalAdvance(look.label);
  if (IsPoe(look)) {
    const qreal h = rect.height() * 0.78;
    const QPainterPath bolt = BoltPath(QRectF(right + 2, rect.center().y() - h / 2, h * 0.62, h));
    painter.setPen(QPen(QColor(60, 36, 0), 0.8));
    painter.setBrush(kPoeAccent);
    painter.drawPath(bolt);
  }
  return right;
}

// The port group bays and an empty socket at every port's place.
void DrawDetailedPorts(QPainter& painter, int model, QPoint origin) {
  const int ports = PortCountOf(model);
  for (int first = 0; first < ports; first += 8) {
    const QPoint top = PortPosition(model, first) - origin;
    const QPoint bottom = PortPosition(model, first + 7) - origin;
    DrawPortBay(painter, QRectF(top.x() - 4.5, top.y() - 4.5, bottom.x() + 23 - top.x() + 9, 50));
  }
  const QFont numberFont = LabelFont(7, false);
  for (int port = 0; port < ports; ++port) {
    const QPoint at = PortPosition(model, port) - origin;
    painter.save();
    painter.translate(at);
    DrawPort(painter, port % 2 == 0 ? PictureId::kUpperLinkDown : PictureId::kLowerLinkDown);
    painter.restore();
    if (port % 2 == 0) {
      DrawText(painter, QRectF(at.x(), at.y() - 13, 23, 8), QString::number(port + 1), numberFont,
               QColor(176, 184, 194), Qt::AlignCenter);
    }
  }
}

void DrawFoldButton(QPainter& painter, const QRectF& rect) {
  DrawButtonFace(painter, rect);
  // A chevron pointing up: fold the panel back to its icon.
  painter.setPen(QPen(QColor(40, 44, 50), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  const QPointF c = rect.center();
  painter.drawPolyline(QPolygonF({QPointF(c.x() - 4.5, c.y() + 2.5), QPointF(c.x(), c.y() - 2),
                                  QPointF(c.x() + 4.5, c.y() + 2.5)}));
}

void DrawPowerButton(QPainter& painter, const QRectF& rect) {
  DrawButtonFace(painter, rect);
  const QPainterPath bolt = BoltPath(QRectF(rect.left() + 6, rect.top() + 3.5, 9, 14));
  painter.setPen(QPen(QColor(120, 70, 0), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(kPoeAccent);
  painter.drawPath(bolt);
}

void DrawDetailed(QPainter& painter, const ChassisLook& look, const QSize& size) {
  const QPoint origin = ChassisRect(look.model, true, kSwitchPanelSize.height()).topLeft();
  DrawBody(painter, size, false);

  // Name plate: maker's series, model label with its accent, and the kind.
  DrawText(painter, QRectF(10, 7, 110, 11), "NTR7100", LabelFont(9, true), QColor(170, 178, 188));
  const qreal right = DrawModelLabel(painter, look, QRectF(9, 18, 110, 24), 21);
  painter.setPen(Qt::NoPen);
  painter.setBrush(IsPoe(look) ? kPoeAccent : kGigabitAccent);
  painter.drawRoundedRect(QRectF(10, 43, qMax<qreal>(right - 10, 24), 2), 1, 1);
  DrawText(painter, QRectF(10, 47, 120, 9), look.subtitle, LabelFont(7, true),
           QColor(150, 158, 168));

  // Status LEDs.
  const QFont ledFont = LabelFont(7, false);
  DrawLed(painter, QRectF(11, 60, 5, 3), QColor(60, 220, 100), true);
  DrawText(painter, QRectF(19, 57, 24, 9), "PWR", ledFont, QColor(170, 178, 188));
  DrawLed(painter, QRectF(44, 60, 5, 3), QColor(60, 220, 100), true);
  DrawText(painter, QRectF(52, 57, 24, 9), "SYS", ledFont, QColor(170, 178, 188));
  if (IsPoe(look)) {
    DrawLed(painter, QRectF(75, 60, 5, 3), kPoeAccent, true);
    DrawText(painter, QRectF(83, 57, 24, 9), "PoE", ledFont, QColor(170, 178, 188));
  }

  DrawDetailedPorts(painter, look.model, origin);

  const QRect fold = FoldButtonZone(look.model).translated(-origin);
  DrawFoldButton(painter, QRectF(fold.topLeft(), QSizeF(21, 21)));
  if (IsPoe(look)) {
    const QRect power = PowerButtonZone(look.model).translated(-origin);
    DrawPowerButton(painter, QRectF(power.topLeft(), QSizeF(21, 21)));
  }
}

// A small socket of the icons: a metal rim around a dark opening whose latch
// slot faces the outside edge of its row.
void DrawMiniSocket(QPainter& painter, const QRectF& rect, bool lowerRow, const QColor& rim,
                    const QColor& opening) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(rim);
  painter.drawRect(rect);
  painter.setBrush(opening);
  const QRectF inside = rect.adjusted(1, 1, -1, -1);
  painter.drawRect(inside.adjusted(0, lowerRow ? 0 : 1, 0, lowerRow ? -1 : 0));
  if (rect.width() >= 8) {
    const qreal slot = qRound(rect.width() / 2.0);
    const qreal x = rect.left() + (rect.width() - slot) / 2;
    painter.drawRect(QRectF(x, lowerRow ? inside.bottom() - 1 : inside.top(), slot, 1));
  }
}

// Columns of two sockets in groups of four, from x = `left`.
void DrawMiniPorts(QPainter& painter, qreal left, int columns, qreal width, qreal pitch,
                   qreal groupGap, const QColor& rim, const QColor& opening, bool bays) {
  const int groups = (columns + 3) / 4;
  for (int group = 0; group < groups; ++group) {
    const qreal x0 = left + group * (4 * pitch + groupGap);
    const qreal padding = groupGap > 0 ? 1.5 : 2.5;
    if (bays) DrawPortBay(painter, QRectF(x0 - padding, 5.5, 3 * pitch + width + 2 * padding, 24));
    for (int column = 0; column < 4 && group * 4 + column < columns; ++column) {
      const qreal x = x0 + column * pitch;
      DrawMiniSocket(painter, QRectF(x, 8, width, 9), false, rim, opening);
      DrawMiniSocket(painter, QRectF(x, 18, width, 9), true, rim, opening);
    }
  }
}

void DrawIcon(QPainter& painter, const ChassisLook& look, const QSize& size) {
  DrawBody(painter, size, false);
  const qreal labelSize = look.model == kModel8G ? 14 : look.model == kModel24G ? 10 : 11;
  const qreal right = DrawModelLabel(painter, look, QRectF(6, 5, 60, 17), labelSize);
  painter.setPen(Qt::NoPen);
  painter.setBrush(IsPoe(look) ? kPoeAccent : kGigabitAccent);
  painter.drawRoundedRect(QRectF(7, 22.5, right - 7, 1.6), 0.8, 0.8);
  DrawLed(painter, QRectF(7, 27, 4, 2.5), QColor(60, 220, 100), true);
  DrawLed(painter, QRectF(14, 27, 4, 2.5), QColor(60, 220, 100), true);

  const QColor rim(170, 177, 186);
  const QColor opening(16, 17, 20);
  switch (look.model) {
    case kModel8G:
      DrawMiniPorts(painter, 35, 4, 9, 11, 0, rim, opening, true);
      break;
    case kModel24G:
      DrawMiniPorts(painter, 32, 12, 5, 6, 3, rim, opening, true);
      break;
    default:
      DrawMiniPorts(painter, 56, 4, 9, 11, 0, rim, opening, true);
      break;
  }
}

void DrawUnknown(QPainter& painter, const QSize& size) {
  DrawBody(painter, size, true);
  // Faint openings: some switch, not yet known which.
  DrawMiniPorts(painter, 35, 12, 5, 6, 3, QColor(168, 174, 181), QColor(214, 218, 223), false);
  // A question mark in a disc over the name plate.
  const QRectF disc(6.5, 6.5, 22, 22);
  QLinearGradient fill(disc.topLeft(), disc.bottomLeft());
  fill.setColorAt(0, QColor(250, 251, 252));
  fill.setColorAt(1, QColor(226, 229, 233));
  painter.setBrush(fill);
  painter.setPen(QPen(QColor(136, 142, 150), 1));
  painter.drawEllipse(disc);
  DrawText(painter, disc.adjusted(0, 0, 0, 0.5), "?", LabelFont(16, true), QColor(110, 117, 126),
           Qt::AlignCenter);
}

}  // namespace

void DrawChassis(QPainter& painter, PictureId id) {
  painter.save();
  const QSize size = PictureSize(id);
  const ChassisLook look = LookOf(id);
  if (look.model == 0) {
    DrawUnknown(painter, size);
  } else if (look.detailed) {
    DrawDetailed(painter, look, size);
  } else {
    DrawIcon(painter, look, size);
  }
  painter.restore();
}

}  // namespace ntr::ui::artwork
