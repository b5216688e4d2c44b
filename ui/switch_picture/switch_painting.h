// Painting a whole switch panel from a plain snapshot of the switch's record:
// the chassis, and either the badges (icon display) or one picture per port
// (detailed display).
#pragma once

#include <QPainter>
#include <array>

#include "catalogue/switch_record.h"
#include "ui/switch_picture/picture_id.h"

namespace ntr::ui {

struct SwitchPictureState {
  int model = 0;                           // model code, 0 unknown
  bool detailed = false;                   // detailed display, else icon
  bool powerDisplay = false;               // 8PoE: ports show their power supply
  bool economy = false;                    // power saving set and in force
  bool alarm = false;                      // a loop or a fan fault (icon display's badge)
  std::array<int, kMaxPorts> linkSpeed{};  // status-port-speed
  std::array<int, kMaxPorts> loopState{};  // status-loopdetect-port, nonzero: loop
  std::array<int, kMaxPorts> poeState{};   // status-poe-state
};

// Takes the snapshot. `statusRead`: the 8PoE switch's status has been read at
// least once, so its fan speeds mean something.
SwitchPictureState PictureStateOf(const SwitchRecord& record, bool detailed, bool powerDisplay,
                                  bool statusRead);

// The picture of a 0-based port in detailed display: its power state on an
// 8PoE in power display, otherwise the loop badge or its link speed.
PictureId PortPicture(const SwitchPictureState& state, int port);

// Paints the chassis at its place for `clientHeight`, then, for a known
// model, the badges of icon display or the ports of detailed display.
void PaintSwitch(QPainter& painter, const SwitchPictureState& state, int clientHeight);

}  // namespace ntr::ui
