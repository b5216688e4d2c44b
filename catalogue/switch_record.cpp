#include "catalogue/switch_record.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "base/text_encoding.h"
#include "catalogue/function_descriptors.h"
#include "catalogue/switch_model.h"

namespace ntr {

SwitchRecord::SwitchRecord() {
  for (auto& id : vlanIds) id = 1;
  for (int p = 0; p < kMaxPorts; ++p) ports[p].poeClass = DefaultPoeClass(p);
  macText = FormatSwitchMac(switchMac);
}

void SwitchRecord::Initialise() { *this = SwitchRecord(); }

std::string SwitchRecord::DefaultSystemName() const {
  return modelName.get() + "_" + serialNumber.get();
}

std::uint32_t FingerprintCrc(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count) {
  // zlib inverts before and after; the fingerprint does neither.
  return ~static_cast<std::uint32_t>(crc32(~crc & 0xFFFFFFFFu, bytes, static_cast<uInt>(count)));
}

namespace {

// Feeds the items of the fingerprint into the CRC.
class FingerprintFeed {
 public:
  void Number(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(v >> 24),
                                   static_cast<std::uint8_t>(v >> 16),
                                   static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    crc_ = FingerprintCrc(crc_, bytes, 4);
  }
  void Id(std::uint16_t id) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(id >> 8),
                                   static_cast<std::uint8_t>(id)};
    crc_ = FingerprintCrc(crc_, bytes, 2);
  }
  void Bytes(const std::string& bytes) {
    crc_ = FingerprintCrc(crc_, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  // ID and value when the value differs from its default.
  std::uint32_t crc() const { return crc_; }

 private:
  std::uint32_t crc_ = 0xFFFFFFFFu;
};

// The settings in the order the fingerprint feeds them (by function ID,
// except that the backup port comes before the PoE class).
constexpr std::array<Function, 37> kFingerprintOrder = {
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
    Function::kLoopDetectRecoveryTimer,
    Function::kLoopDetectPortUse,
    Function::kLoopDetectUseControlPacket,
    Function::kRouteBackupPort,
};

// One setting: its ID once, before its first value that differs from the
// default, then for each such value its 1-based indexes and its wire value.
// This runs after every change and every get of a setting, over about 7500
// values on a 24-port switch (the trunk memberships alone are 6144), so the
// common case is kept free of calls per value: fixed defaults are compared
// here, and a row of second indexes is read as the array it is.
void FeedSetting(FingerprintFeed& feed, const SwitchRecord& record,
                 const FunctionDescriptor& function) {
  bool fed = false;
  const int indexes = IndexCount(function);
  const bool registration = function.defaultRule == DefaultRule::kRegistration;
  const bool fixed = registration || function.defaultRule == DefaultRule::kFixed;
  SwitchRecord& readable = const_cast<SwitchRecord&>(record);  // fields are only read
  const int ports = std::clamp<int>(record.portCount, 0, kMaxPorts);
  const int counters = std::clamp<int>(record.counterCount, 0, kMaxCounters);
  const int firsts = FirstIndexLimit(function, ports);
  const int seconds = SecondIndexLimit(function, ports, counters);
  const std::int32_t defaultValue = function.defaultValue;
  const auto feedValue = [&](int first, int second, std::int32_t value) {
    if (!fed) feed.Id(function.functionId);
    fed = true;
    if (indexes >= 1) feed.Number(first + 1);
    if (indexes >= 2) feed.Number(second + 1);
    feed.Number(value + function.wireOffset);
  };
  for (int first = 0; first < firsts; ++first) {
    const RelaxedInt32* row = function.field(readable, first, 0);
    const bool contiguous = seconds < 2 || function.field(readable, first, 1) == row + 1;
    if (fixed && contiguous) {
      const std::int32_t alsoDefault = registration ? first + 1 : defaultValue;
      for (int second = 0; second < seconds; ++second) {
        const std::int32_t value = row[second].load();
        if (value == defaultValue || value == alsoDefault) continue;
        feedValue(first, second, value);
      }
      continue;
    }
    for (int second = 0; second < seconds; ++second) {
      const std::int32_t value = function.field(readable, first, second)->load();
      if (!IsDefaultValue(function, record, first, second, value)) feedValue(first, second, value);
    }
  }
}

}  // namespace

void ComputeFingerprint(SwitchRecord& record, bool baseline) {
  FingerprintFeed feed;
  const std::int32_t modelCode = ModelCodeOf(record.modelName.get());

  // An empty name is fed as nothing at all: a freshly initialised record,
  // whose name is empty and whose default name is "unknown_", must still
  // give the all-defaults value.
  if (const std::string name = record.systemName.get();
      !name.empty() && name != record.DefaultSystemName()) {
    feed.Id(DescriptorOf(Function::kSystemName).functionId);
    feed.Bytes(Utf8ToCp932Lossy(name));
  }
  const auto feedIfModelHas = [&](Function setting) {
    const FunctionDescriptor& function = DescriptorOf(setting);
    if (ModelHasFunction(function, modelCode)) FeedSetting(feed, record, function);
  };
  for (Function setting : kFingerprintOrder) feedIfModelHas(setting);
  feedIfModelHas(Function::kPoeClass);

  record.currentFingerprint = feed.crc();
  if (baseline) record.savedFingerprint = feed.crc();
}

}  // namespace ntr
