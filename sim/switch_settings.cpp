#include "sim/switch_settings.h"

#include "base/text_encoding.h"
#include "catalogue/function_descriptors.h"
#include "catalogue/switch_model.h"
#include "sim/sim_functions.h"

namespace ntr::sim {
namespace {

constexpr std::size_t kMaxNameBytes = 64;

// Where one integer setting lives: its descriptor, its field and its indexes.
template <typename Field>
struct SlotOf {
  const FunctionDescriptor* function = nullptr;
  Field* field = nullptr;
  int first = 0;
  int second = 0;
};

// Turns a 1-based wire number into a 0-based index below `count`.
bool IndexOf(std::int32_t number, std::int32_t count, int& index) {
  if (number < 1 || number > count) return false;
  index = number - 1;
  return true;
}

// Finds the slot of an integer setting; false for an index outside the
// switch's ranges or a function that is no integer setting. `Record` is
// SwitchRecord or its const form, which gives a read-only slot.
template <typename Record, typename Slot>
bool ResolveSlot(Record& r, const FunctionRequest& q, Slot& slot) {
  const FunctionDescriptor* function = FindFunctionById(q.functionId);
  if (function == nullptr || function->functionClass != FunctionClass::kSetting ||
      function->field == nullptr) {
    return false;
  }
  const int indexes = IndexCount(*function);
  int first = 0;
  int second = 0;
  if (indexes >= 1 && !IndexOf(q.firstIndex, FirstIndexLimit(*function, r.portCount), first)) {
    return false;
  }
  if (indexes >= 2 &&
      !IndexOf(q.secondIndex, SecondIndexLimit(*function, r.portCount, r.counterCount), second)) {
    return false;
  }
  // The accessor takes a writable record; a read-only slot only reads it.
  RelaxedInt32* field = function->field(const_cast<SwitchRecord&>(r), first, second);
  slot = {function, field, first, second};
  return true;
}

void Octets(FunctionResponse& response, std::string bytes) {
  response.valueType = kValueOctets;
  response.octets = std::move(bytes);
}

using Slot = SlotOf<RelaxedInt32>;
using ReadSlot = SlotOf<const RelaxedInt32>;

// The switch's check of a set: the value's range, words and port rule.
bool Accepts(const Slot& slot, const SwitchRecord& record, std::int64_t wire) {
  const std::int64_t value = wire - slot.function->wireOffset;
  if (value < INT32_MIN || value > INT32_MAX) return false;
  return ValueAccepted(*slot.function, static_cast<std::int32_t>(value), slot.first,
                       record.portCount);
}

}  // namespace

std::int32_t GetSetting(const SwitchRecord& record, const FunctionRequest& request,
                        FunctionResponse& response) {
  if (const std::optional<Function> function = FunctionOf(request.functionId)) {
    switch (*function) {
      case Function::kBootRomVersion:
        Octets(response, Utf8ToCp932Lossy(record.bootRomVersion.get()));
        return kResOk;
      case Function::kFirmwareRevision:
        Octets(response, Utf8ToCp932Lossy(record.firmwareRevision.get()));
        return kResOk;
      case Function::kSerialNumber:
        Octets(response, Utf8ToCp932Lossy(record.serialNumber.get()));
        return kResOk;
      case Function::kModelName:
        Octets(response, Utf8ToCp932Lossy(record.modelName.get()));
        return kResOk;
      case Function::kSystemName:
        Octets(response, Utf8ToCp932Lossy(record.systemName.get()));
        return kResOk;
      case Function::kSystemMacAddress: {
        const MacAddress mac = record.switchMac;
        Octets(response, std::string(mac.begin(), mac.end()));
        return kResOk;
      }
      default:
        break;
    }
  }
  ReadSlot slot;
  if (!ResolveSlot(record, request, slot)) return kResParameter;
  response.valueType = kValueInteger;
  response.intValue = static_cast<std::int64_t>(slot.field->load()) + slot.function->wireOffset;
  return kResOk;
}

std::int32_t SetSetting(SwitchRecord& record, const FunctionRequest& request) {
  if (FunctionOf(request.functionId) == Function::kSystemName) {
    std::string name;
    if (request.valueType != kValueOctets || request.octets.empty() ||
        request.octets.size() > kMaxNameBytes || !Cp932ToUtf8(request.octets, name)) {
      return kResParameter;
    }
    record.systemName = name;
    return kResOk;
  }
  Slot slot;
  if (request.valueType != kValueInteger || !ResolveSlot(record, request, slot) ||
      !Accepts(slot, record, request.intValue)) {
    return kResParameter;
  }
  *slot.field = static_cast<std::int32_t>(request.intValue - slot.function->wireOffset);
  return kResOk;
}

std::int32_t SetSettingDefault(SwitchRecord& record, const FunctionRequest& request) {
  if (FunctionOf(request.functionId) == Function::kSystemName) {
    record.systemName = record.DefaultSystemName();
    return kResOk;
  }
  Slot slot;
  if (!ResolveSlot(record, request, slot)) return kResParameter;
  if (const auto defaultValue = DefaultValueOf(*slot.function, record, slot.first, slot.second)) {
    *slot.field = *defaultValue;
  }
  return kResOk;
}

void ResetSettings(SwitchRecord& record) {
  SwitchRecord fresh;
  fresh.switchMac = record.switchMac;
  fresh.macText = FormatSwitchMac(record.switchMac);
  fresh.modelName = record.modelName;
  fresh.serialNumber = record.serialNumber;
  fresh.firmwareRevision = record.firmwareRevision;
  fresh.bootRomVersion = record.bootRomVersion;
  ApplyModel(fresh);
  fresh.systemName = fresh.DefaultSystemName();
  fresh.mirrorDestination = DefaultMirrorDestination(fresh.modelName.get());
  record = fresh;
}

}  // namespace ntr::sim
