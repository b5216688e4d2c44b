#include "sim/sim_functions.h"

#include "catalogue/function_descriptors.h"
#include "catalogue/switch_model.h"
#include "codec/pdu.h"

namespace ntr::sim {

std::optional<Function> FunctionOf(std::uint16_t functionId) {
  const FunctionDescriptor* function = FindFunctionById(functionId);
  if (function == nullptr) return std::nullopt;
  return function->function;
}

bool ModelHasFunction(std::int32_t modelCode, std::uint16_t functionId) {
  const FunctionDescriptor* function = FindFunctionById(functionId);
  return function != nullptr && ntr::ModelHasFunction(*function, modelCode);
}

bool OperationAllowed(std::uint16_t functionId, std::int32_t operation) {
  const FunctionDescriptor* entry = FindFunctionById(functionId);
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
