#include "ui/switch_picture/switch_painting.h"

#include "catalogue/switch_model.h"
#include "ui/switch_picture/picture_drawing.h"
#include "ui/switch_picture/switch_geometry.h"

namespace ntr::ui {

namespace {

bool AnyLoop(const SwitchRecord& record, int model) {
  for (int port = 0; port < PortCountOf(model); ++port) {
    if (record.portStatus[static_cast<std::size_t>(port)].loopState.load() != 0) return true;
  }
  return false;
}

bool FanAlarm(const SwitchRecord& record, int model, bool statusRead) {
  if (model == kModel24G) return record.fanState.load() != 0;
  if (model == kModel8PoE && statusRead) {
    for (const RelaxedInt32& speed : record.fanSpeeds) {
      if (speed.load() == 0) return true;
    }
  }
  return false;
}

// Upper-row pictures for even ports, lower-row ones for odd ports.
PictureId ByRow(int port, PictureId upper, PictureId lower) {
  return port % 2 == 0 ? upper : lower;
}

PictureId PowerPicture(int poeState, int port) {
  if (poeState == 0) return ByRow(port, PictureId::kUpperPowerOff, PictureId::kLowerPowerOff);
  // Supply stopped without a fault: the port looks like a port without link.
  if (poeState == 1) return ByRow(port, PictureId::kUpperLinkDown, PictureId::kLowerLinkDown);
  if (poeState >= 2 && poeState <= 5) {
    return ByRow(port, PictureId::kUpperPowerClass0To3, PictureId::kLowerPowerClass0To3);
  }
  if (poeState == 6) return ByRow(port, PictureId::kUpperPowerClass4, PictureId::kLowerPowerClass4);
  // 7-13 are the switch's fault states. A value outside 0-13 is none the
  // switch defines; it gets the fault picture too, so that an unexpected state
  // draws the operator's eye instead of passing for normal supply.
  return ByRow(port, PictureId::kUpperPowerFault, PictureId::kLowerPowerFault);
}

PictureId LinkPicture(int speed, int port) {
  switch (speed) {
    case 2:
    case 3:
      return ByRow(port, PictureId::kUpperLink10, PictureId::kLowerLink10);
    case 4:
    case 5:
      return ByRow(port, PictureId::kUpperLink100, PictureId::kLowerLink100);
    case 6:
      return ByRow(port, PictureId::kUpperLink1000, PictureId::kLowerLink1000);
    default:  // 0, 1 and 7 upwards: no link
      return ByRow(port, PictureId::kUpperLinkDown, PictureId::kLowerLinkDown);
  }
}

}  // namespace

SwitchPictureState PictureStateOf(const SwitchRecord& record, bool detailed, bool powerDisplay,
                                  bool statusRead) {
  SwitchPictureState state;
  state.model = record.modelCode.load();
  state.detailed = detailed;
  state.powerDisplay = powerDisplay;
  state.economy = EconomyModeInForce(record);
  state.alarm = AnyLoop(record, state.model) || FanAlarm(record, state.model, statusRead);
  for (std::size_t port = 0; port < state.linkSpeed.size(); ++port) {
    const PortStatus& status = record.portStatus[port];
    state.linkSpeed[port] = status.linkSpeed.load();
    state.loopState[port] = status.loopState.load();
    state.poeState[port] = status.poeState.load();
  }
  return state;
}

PictureId PortPicture(const SwitchPictureState& state, int port) {
  const auto index = static_cast<std::size_t>(port);
  if (state.model == kModel8PoE && state.powerDisplay)
    return PowerPicture(state.poeState[index], port);
  if (state.loopState[index] != 0) return PictureId::kAlarmBadge;
  return LinkPicture(state.linkSpeed[index], port);
}

void PaintSwitch(QPainter& painter, const SwitchPictureState& state, int clientHeight) {
  const QRect chassis = ChassisRect(state.model, state.detailed, clientHeight);
  DrawPicture(painter, chassis.topLeft(), ChassisPicture(state.model, state.detailed));
  if (PortCountOf(state.model) == 0) return;

  if (!state.detailed) {
    // Badge offsets count from the picture's width, plus the chassis' x of 2.
    const int width = chassis.width();
    if (state.economy) {
      const QSize badge = PictureSize(PictureId::kEconomyBadge);
      DrawPicture(painter, {width - badge.width() / 2 + 2, chassis.top() - badge.height() / 2},
                  PictureId::kEconomyBadge);
    }
    if (state.alarm) {
      const QSize badge = PictureSize(PictureId::kAlarmBadge);
      DrawPicture(painter,
                  {width - badge.width() + 2, chassis.top() + chassis.height() - badge.height()},
                  PictureId::kAlarmBadge);
    }
    return;
  }
  for (int port = 0; port < PortCountOf(state.model); ++port) {
    DrawPicture(painter, PortPosition(state.model, port), PortPicture(state, port));
  }
}

}  // namespace ntr::ui
