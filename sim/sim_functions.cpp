#include "sim/sim_functions.h"

#include "catalogue/function_catalogue.h"
#include "catalogue/switch_model.h"
#include "protocol/pdu.h"

namespace ntr::sim {

bool ModelHasFunction(std::int32_t modelCode, std::uint16_t functionId) {
  switch (functionId) {
    case kFnQosSpeedUnit:
    case kFnQosPolicingUse:
    case kFnQosPolicingSpeed:
    case kFnQosShapingUse:
    case kFnQosShapingSpeed:
      return HasQosBandwidth(modelCode);
    case kFnStatusFan:
      return PollsSystemFan(modelCode);
    case kFnStatusFanRpm:
    case kFnStatusPoeTemperature:
    case kFnPoeClass:
    case kFnStatusPoeSupply:
    case kFnStatusPoeDetectClass:
    case kFnStatusPoeState:
    case kFnRestartPoeSupply:
      return HasPoe(modelCode);
    default:
      return FindFunctionById(functionId) != nullptr;
  }
}

bool OperationAllowed(std::uint16_t functionId, std::int32_t operation) {
  const FunctionEntry* entry = FindFunctionById(functionId);
  if (entry == nullptr) return false;
  switch (entry->functionClass) {
    case FunctionClass::kIdentity:
    case FunctionClass::kStatus:
      return operation == kOpGet;
    case FunctionClass::kSetting:
      return operation == kOpGet || operation == kOpSet || operation == kOpSetDefault;
    case FunctionClass::kAction:
      return operation == kOpExecute;
  }
  return false;
}

}  // namespace ntr::sim
