#include "ui/switch_picture/picture_id.h"

namespace ntr::ui {

QSize PictureSize(PictureId id) {
  switch (id) {
    case PictureId::kComputer:
      return {93, 57};
    case PictureId::kIcon8G:
      return {85, 35};
    case PictureId::kDetail8G:
    case PictureId::kDetailPoe:
      return {279, 71};
    case PictureId::kIcon24G:
    case PictureId::kUnknownModel:
      return {115, 35};
    case PictureId::kDetail24G:
      return {526, 71};
    case PictureId::kIconPoe:
      return {104, 35};
    case PictureId::kUpperLinkDown:
    case PictureId::kUpperLink1000:
    case PictureId::kUpperLink100:
    case PictureId::kUpperLink10:
    case PictureId::kLowerLinkDown:
    case PictureId::kLowerLink1000:
    case PictureId::kLowerLink100:
    case PictureId::kLowerLink10:
    case PictureId::kUpperPowerOff:
    case PictureId::kUpperPowerClass0To3:
    case PictureId::kUpperPowerClass4:
    case PictureId::kUpperPowerFault:
    case PictureId::kLowerPowerOff:
    case PictureId::kLowerPowerClass0To3:
    case PictureId::kLowerPowerClass4:
    case PictureId::kLowerPowerFault:
      return {23, 19};
    case PictureId::kEconomyBadge:
    case PictureId::kAlarmBadge:
      return {21, 21};
  }
  return {};
}

}  // namespace ntr::ui
