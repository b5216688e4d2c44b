#include "config/switch_block_writer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string_view>

#include "catalogue/function_descriptors.h"
#include "catalogue/switch_model.h"
#include "catalogue/switch_record.h"

namespace ntr {
namespace {

constexpr std::string_view kSetPrefix = "switch control function set";
constexpr std::string_view kGetPrefix = "#switch control function get";
constexpr std::string_view kNoWord = "???";

// The settings in the file's order (only those that differ from their
// defaults are written).
constexpr std::array<Function, 39> kFileOrder = {
    Function::kSystemName,
    Function::kEnergySaving,
    Function::kLedBrightness,
    Function::kPortSpeed,
    Function::kPortUse,
    Function::kPortAutoCrossover,
    Function::kPortSpeedDownshift,
    Function::kPortFlowControl,
    Function::kPortBlockingControlPacket,
    Function::kPortBlockingDataPacket,
    Function::kMacAddressAging,
    Function::kMacAddressAgingTimer,
    Function::kVlanId,
    Function::kVlanPortMode,
    Function::kVlanAccess,
    Function::kVlanTrunk,
    Function::kVlanMultipleUse,
    Function::kVlanMultiple,
    Function::kQosDscpRemarkType,
    Function::kQosDscpRemarkClass,
    Function::kQosSpeedUnit,
    Function::kQosPolicingUse,
    Function::kQosPolicingSpeed,
    Function::kQosShapingUse,
    Function::kQosShapingSpeed,
    Function::kMirroringUse,
    Function::kMirroringDestination,
    Function::kMirroringSourceRx,
    Function::kMirroringSourceTx,
    Function::kCounterFrameRxType,
    Function::kCounterFrameTxType,
    Function::kLoopDetectCount,
    Function::kLoopDetectTime,
    Function::kLoopDetectLinkDown,
    Function::kLoopDetectUseControlPacket,
    Function::kLoopDetectRecoveryTimer,
    Function::kLoopDetectPortUse,
    Function::kPoeClass,
    Function::kRouteBackupPort,
};

// The value of a line: its word, or its number (the wire form) for
// functions without words; nothing when the line is left out.
std::optional<std::string> ValueText(const FunctionDescriptor& function, std::int32_t value) {
  if (function.fileWords == nullptr) return std::to_string(value + function.wireOffset);
  if (const auto word = function.fileWords->WordOf(value)) return std::string(*word);
  switch (function.missingWord) {
    case MissingWord::kUnknownMark:
      return std::string(kNoWord);
    case MissingWord::kWordOfZero:
      return std::string(function.fileWords->WordOf(0).value_or(kNoWord));
    case MissingWord::kOmitLine:
      return std::nullopt;
  }
  return std::nullopt;
}

void Line(std::string& out, std::string_view keyword, std::string_view arguments) {
  out.append(kSetPrefix).append(" ").append(keyword).append(" ").append(arguments).append("\n");
}

// The lines of one setting, one for each index whose value is not the default.
void WriteSetting(const SwitchRecord& r, const FunctionDescriptor& function, std::string& out) {
  if (function.value == ValueKind::kText) {
    if (const std::string name = (r.*function.text).get();
        !name.empty() && name != r.DefaultSystemName()) {
      Line(out, function.keyword, name);
    }
    return;
  }
  const int indexes = IndexCount(function);
  ForEachIndex(function, r, [&](int first, int second) {
    const std::int32_t value = StoredValue(function, r, first, second);
    if (IsDefaultValue(function, r, first, second, value)) return true;
    const auto valueText = ValueText(function, value);
    if (!valueText) return true;
    std::string arguments;
    if (indexes >= 1) arguments.append(std::to_string(first + 1)).append(" ");
    if (indexes >= 2) arguments.append(std::to_string(second + 1)).append(" ");
    Line(out, function.keyword, arguments.append(*valueText));
    return true;
  });
}

}  // namespace

bool WriteSwitchBlock(const SwitchRecord& r, std::string& out) {
  const std::string model = r.modelName.get();
  const std::int32_t modelCode = ModelCodeOf(model);
  if (modelCode == kModelUnknown) return false;

  out.append("switch select ").append(r.macText.get()).append("\n");
  out.append(kGetPrefix)
      .append(" firmware-revision ")
      .append(r.firmwareRevision.get())
      .append("\n");
  out.append(kGetPrefix).append(" serial-number ").append(r.serialNumber.get()).append("\n");
  out.append(kGetPrefix).append(" model-name ").append(model).append("\n");

  // A record checked against a model without QoS bandwidth leaves those
  // settings out; an unchecked one writes what it holds.
  const bool skipBandwidth = r.modelChecked != 0 && !HasQosBandwidth(modelCode);
  for (Function setting : kFileOrder) {
    const FunctionDescriptor& function = DescriptorOf(setting);
    if (skipBandwidth && function.models == ModelScope::kQosBandwidth) continue;
    WriteSetting(r, function, out);
  }
  return true;
}

void WriteSwitchComment(const SwitchRecord& record, std::string& out) {
  char fingerprint[16];
  std::snprintf(fingerprint, sizeof fingerprint, "#[%08x]\n",
                static_cast<unsigned>(record.currentFingerprint.load()));
  out.append("#\n");
  out.append("#").append(record.macText.get()).append("\n");
  out.append("#").append(record.serialNumber.get()).append("\n");
  out.append(fingerprint);
  out.append("#\n\n");
}

}  // namespace ntr
