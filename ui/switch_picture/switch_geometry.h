// The fixed geometry of a switch panel, in the panel's client coordinates:
// where the chassis and the ports are drawn and which zone a point falls in.
// Model codes are those of catalogue/switch_model.h (0 unknown, 1 8G,
// 2 24G, 3 8PoE); ports are 0-based.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include "ui/switch_picture/picture_id.h"

namespace ntr::ui {

// Every switch panel has this client size.
inline constexpr QSize kSwitchPanelSize{810, 75};

// The chassis picture of a model in icon or detailed display; the unknown
// picture for model 0 or any code that names no model.
PictureId ChassisPicture(int model, bool detailed);

// The chassis picture's rectangle: x = 2, vertically centred in the client
// area (integer halves).
QRect ChassisRect(int model, bool detailed, int clientHeight);

// Top-left corner of a port's picture in detailed display. Port 2k is in the
// upper row, port 2k + 1 below it. (0, 0) for a port the model lacks.
QPoint PortPosition(int model, int port);

// Zones of detailed display. A rectangle's right and bottom edges lie
// outside it. Empty rectangles where the model has no such zone.
QRect FoldButtonZone(int model);
QRect PowerButtonZone(int model);
QRect PortZone(int model, int port);

enum class SwitchZoneKind { kNone, kChassis, kFoldButton, kPowerButton, kPort };

struct SwitchZone {
  SwitchZoneKind kind = SwitchZoneKind::kNone;
  int port = -1;  // 0-based, for kPort only
  QRect rect;     // the zone's rectangle; empty for kNone
};

// The zone under `point`. Detailed display of a known model tests the fold
// button, the power-display button (8PoE), the ports in port order and then
// the chassis; icon display and unknown models know only the chassis.
// `chassis` is the chassis rectangle of the last paint.
SwitchZone HitTest(int model, bool detailed, const QRect& chassis, QPoint point);

}  // namespace ntr::ui
