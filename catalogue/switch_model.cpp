#include "catalogue/switch_model.h"

#include "base/error_log.h"
#include "catalogue/switch_record.h"

namespace ntr {

std::int32_t ModelCodeOf(std::string_view modelName) {
  if (modelName == kModelName8G) return kModel8G;
  if (modelName == kModelName24G) return kModel24G;
  if (modelName == kModelName8PoE) return kModel8PoE;
  return kModelUnknown;
}

std::int32_t PortCountOf(std::int32_t modelCode) {
  switch (modelCode) {
    case kModel8G:
    case kModel8PoE:
      return 8;
    case kModel24G:
      return 24;
    default:
      return 0;
  }
}

std::int32_t CounterCountOf(std::int32_t modelCode) {
  switch (modelCode) {
    case kModel8G:
    case kModel8PoE:
      return 3;
    case kModel24G:
      return 5;
    default:
      return 0;
  }
}

std::int32_t ReadStepsOf(std::int32_t modelCode) {
  switch (modelCode) {
    case kModel8G:
      return 2558;
    case kModel8PoE:
      return 2566;
    default:
      return 7711;
  }
}

std::int32_t DefaultMirrorDestination(std::string_view modelName) {
  return modelName == kModelName24G ? 23 : 7;
}

bool PoeClassOffered(int portIndex, std::int32_t poeClass) {
  if (poeClass == kPoeClassNone || poeClass == kPoeClass3) return true;
  return poeClass == kPoeClass4 && portIndex % 2 == 0;
}

void ApplyModel(SwitchRecord& record) {
  const std::int32_t code = ModelCodeOf(record.modelName.get());
  record.modelCode = code;
  record.portCount = PortCountOf(code);
  record.counterCount = CounterCountOf(code);
}

void ModelFixUp(SwitchRecord& record) {
  if (!record.nameDefaulted) {
    if (!record.modelName.empty() && !record.serialNumber.empty()) {
      record.systemName = record.DefaultSystemName();
    }
    record.nameDefaulted = 1;
  }
  // By the model name: the model code is held at 0 while a switch is being
  // synchronised or adopted, and its destination must not follow that.
  const std::int32_t code = ModelCodeOf(record.modelName.get());
  if (!record.mirrorDefaulted) {
    record.mirrorDestination = code == kModel24G ? 23 : code == kModelUnknown ? 0 : 7;
    record.mirrorDefaulted = 1;
    return;
  }
  switch (code) {
    case kModel24G:
      if (record.mirrorDestination >= 24 || record.mirrorDestination < 0) {
        record.mirrorDestination = 23;
      }
      break;
    case kModel8G:
    case kModel8PoE:
      if (record.mirrorDestination >= 8 || record.mirrorDestination < 0) {
        const std::string command = "switch control function set mirroring-dest " +
                                    std::to_string(record.mirrorDestination + 1);
        record.AddFailure(command);
        AppendErrorLog(record.macText.get(), command, "パラメータが不正です");
        record.mirrorDestination = 7;
      }
      break;
    default:
      record.mirrorDestination = 0;
      break;
  }
}

}  // namespace ntr
