// Shared pieces of the artwork: the palette, the label font and the small
// shapes several pictures use (lightning mark, LED, push button). Internal to
// the switch picture library.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

#include "ui/switch_picture/picture_id.h"

namespace ntr::ui::artwork {

// Link colours: 1000BASE-T green, 100BASE-TX amber, 10BASE-T yellow.
inline const QColor kLink1000{46, 204, 88};
inline const QColor kLink100{255, 150, 28};
inline const QColor kLink10{250, 218, 40};
// Power supply colours.
inline const QColor kPowerOff{150, 156, 164};
inline const QColor kPowerClass0To3{40, 200, 120};
inline const QColor kPowerClass4{40, 140, 255};
inline const QColor kPowerFault{235, 56, 48};
// The PoE model's accent (its lightning marks).
inline const QColor kPoeAccent{255, 184, 28};
// The accent under the model label of the gigabit models.
inline const QColor kGigabitAccent{72, 150, 255};

// Latin labels on the chassis: a clean sans-serif, the window's fonts after.
QFont LabelFont(qreal pixelSize, bool bold);

// A lightning mark filling `box`.
QPainterPath BoltPath(const QRectF& box);

// A small rectangular LED, lit in `colour` or dark.
void DrawLed(QPainter& painter, const QRectF& rect, const QColor& colour, bool lit);

// A small raised push button face (the chassis' fold and power buttons).
void DrawButtonFace(QPainter& painter, const QRectF& rect);

// Pictures by family; each draws at the origin in its own size.
void DrawComputer(QPainter& painter);
void DrawChassis(QPainter& painter, PictureId id);
void DrawPort(QPainter& painter, PictureId id);
void DrawEconomyBadge(QPainter& painter);
void DrawAlarmBadge(QPainter& painter);

}  // namespace ntr::ui::artwork
