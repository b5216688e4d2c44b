// The pictures of the top page: the computer, the chassis of each model, the
// port and power states and the two badges. The values are the pictures'
// resource numbers; each picture has one fixed size.
#pragma once

#include <QSize>

namespace ntr::ui {

enum class PictureId : int {
  kComputer = 133,  // this computer, on the top panel

  kIcon8G = 132,
  kDetail8G = 136,
  kIcon24G = 148,
  kDetail24G = 149,
  kIconPoe = 170,
  kDetailPoe = 171,
  kUnknownModel = 155,  // model not read yet, or the read failed: both displays

  // Ports of the upper row (odd port numbers).
  kUpperLinkDown = 160,
  kUpperLink1000 = 161,
  kUpperLink100 = 162,
  kUpperLink10 = 163,
  // Ports of the lower row (even port numbers), mirrored.
  kLowerLinkDown = 156,
  kLowerLink1000 = 157,
  kLowerLink100 = 158,
  kLowerLink10 = 159,

  // Power supply of an upper-row port.
  kUpperPowerOff = 178,
  kUpperPowerClass0To3 = 179,
  kUpperPowerClass4 = 180,
  kUpperPowerFault = 181,
  // The same for the lower row.
  kLowerPowerOff = 173,
  kLowerPowerClass0To3 = 175,
  kLowerPowerClass4 = 176,
  kLowerPowerFault = 177,

  kEconomyBadge = 165,
  kAlarmBadge = 166,  // also drawn over a port with a loop
};

// The picture's size in device-independent pixels; an empty size for a value
// that names no picture.
QSize PictureSize(PictureId id);

}  // namespace ntr::ui
