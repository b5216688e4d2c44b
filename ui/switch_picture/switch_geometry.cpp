#include "ui/switch_picture/switch_geometry.h"

#include <array>

#include "catalogue/switch_model.h"

namespace ntr::ui {

namespace {

constexpr int kUpperRowY = 24;
constexpr int kLowerRowY = 46;
// Port zones are shorter than the pictures: rows y 26..43 and 46..63.
constexpr int kUpperZoneTop = 26;
constexpr int kLowerZoneTop = 46;
constexpr int kZoneHeight = 17;

// x of each port pair's pictures.
constexpr std::array<int, 4> kPairX8{140, 168, 196, 223};
constexpr std::array<int, 12> kPairX24{140, 168, 196, 223, 264, 291, 318, 345, 387, 414, 441, 468};

bool ValidPort(int model, int port) { return port >= 0 && port < PortCountOf(model); }

}  // namespace

PictureId ChassisPicture(int model, bool detailed) {
  switch (model) {
    case kModel8G:
      return detailed ? PictureId::kDetail8G : PictureId::kIcon8G;
    case kModel24G:
      return detailed ? PictureId::kDetail24G : PictureId::kIcon24G;
    case kModel8PoE:
      return detailed ? PictureId::kDetailPoe : PictureId::kIconPoe;
    default:
      return PictureId::kUnknownModel;
  }
}

QRect ChassisRect(int model, bool detailed, int clientHeight) {
  const QSize size = PictureSize(ChassisPicture(model, detailed));
  return {2, clientHeight / 2 - size.height() / 2, size.width(), size.height()};
}

QPoint PortPosition(int model, int port) {
  if (!ValidPort(model, port)) return {};
  const int pair = port / 2;
  const int x = model == kModel24G ? kPairX24[static_cast<std::size_t>(pair)]
                                   : kPairX8[static_cast<std::size_t>(pair)];
  return {x, port % 2 == 0 ? kUpperRowY : kLowerRowY};
}

QRect FoldButtonZone(int model) {
  switch (model) {
    case kModel8G:
    case kModel8PoE:
      return {255, 15, 21, 21};
    case kModel24G:
      return {502, 15, 21, 21};
    default:
      return {};
  }
}

QRect PowerButtonZone(int model) { return model == kModel8PoE ? QRect{255, 46, 21, 20} : QRect{}; }

QRect PortZone(int model, int port) {
  if (!ValidPort(model, port)) return {};
  const int pair = port / 2;
  const int top = port % 2 == 0 ? kUpperZoneTop : kLowerZoneTop;
  if (model != kModel24G || pair < 4) return {PortPosition(model, port).x(), top, 21, kZoneHeight};
  if (pair < 8) return {PortPosition(model, port).x(), top, 29, kZoneHeight};
  // Ports 17-22 start 2 px left of their pictures; ports 23 and 24 have
  // widths of their own.
  if (pair < 11) return {PortPosition(model, port).x() - 2, top, 29, kZoneHeight};
  return {468, top, port % 2 == 0 ? 25 : 28, kZoneHeight};
}

SwitchZone HitTest(int model, bool detailed, const QRect& chassis, QPoint point) {
  if (detailed && PortCountOf(model) > 0) {
    const QRect fold = FoldButtonZone(model);
    if (fold.contains(point)) return {SwitchZoneKind::kFoldButton, -1, fold};
    const QRect power = PowerButtonZone(model);
    if (power.contains(point)) return {SwitchZoneKind::kPowerButton, -1, power};
    for (int port = 0; port < PortCountOf(model); ++port) {
      const QRect zone = PortZone(model, port);
      if (zone.contains(point)) return {SwitchZoneKind::kPort, port, zone};
    }
  }
  if (chassis.contains(point)) return {SwitchZoneKind::kChassis, -1, chassis};
  return {};
}

}  // namespace ntr::ui
