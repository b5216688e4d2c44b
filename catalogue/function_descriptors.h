// The function descriptors: for every function of the management protocol,
// one entry that says everything the tool knows about it — keyword, ID,
// value and index types, the record field it maps to, its default, its
// value range and words, and which models have it. The getters and setters,
// the text form of requests, the configuration file's reader and writer, the
// fingerprint, the settings thread, ntrctl and the simulator all read it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "catalogue/switch_record.h"
#include "catalogue/value_words.h"

namespace ntr {

enum class FunctionClass { kIdentity, kSetting, kStatus, kAction };

// Operations the tool itself issues for a function.
enum FunctionOps : std::uint8_t {
  kOpsNone = 0,
  kOpsGet = 1 << 0,
  kOpsSet = 1 << 1,
  kOpsSetDefault = 1 << 2,
  kOpsExecute = 1 << 3,
};

// The indexes a function takes (0-based inside the tool, 1-based on the
// wire and in the file).
enum class IndexKind {
  kNone,
  kPort,              // p
  kFan,               // f
  kRegistration,      // r
  kPortRegistration,  // p, r
  kPortGroup,         // p, g
  kPortCounter,       // p, k
  kDestination,       // none; the value itself is a port index
};

// What the value of a function is, where it differs from a plain number or word.
enum class ValueKind {
  kNumber,             // an integer stored as it is sent (plus the wire offset)
  kText,               // system-name: text in the record, code page 932 on the wire
  kIdentityText,       // a text of the switch's identity
  kMacAddress,         // system-macaddress: six octets
  kQosRate,            // a raw rate; setters take a selection number (catalogue/qos_speed.h)
  kPortIndex,          // a 0-based port index (mirroring destination, backup port)
  kRegistrationEntry,  // a 0-based VLAN registration entry (vlan-access)
  kCounter,            // a 64-bit status counter
  kNone,               // actions
};

// Which models have a function.
enum class ModelScope {
  kAll,
  kQosBandwidth,  // the 24-port model only: speed unit, policing, shaping
  kSystemFan,     // the 24-port model only: status-fan
  kPoe,           // the PoE model only
};

// How the default of a setting is found.
enum class DefaultRule {
  kNone,           // no integer default (texts, status, actions)
  kFixed,          // defaultValue
  kRegistration,   // vlan-id: 1, and also the registration number itself
  kModelMirror,    // mirroring-dest: DefaultMirrorDestination of the model name
  kRxCounterType,  // kDefaultRxCounterTypes[counter]
  kTxCounterType,  // kDefaultTxCounterTypes[counter]
  kPortPoeClass,   // DefaultPoeClass(port)
};

// The block writer's choice for a stored code that has no word.
enum class MissingWord {
  kUnknownMark,  // "???"
  kWordOfZero,   // the word of code 0 (frame-counter types: "packets")
  kOmitLine,     // the line is left out (PoE classes)
};

enum DescriptorFlags : std::uint8_t {
  kFlagsNone = 0,
  kRequestWordAlone = 1 << 0,  // the text form of a set is the word alone, without index text
  kAcceptsNone = 1 << 2,       // -1 ("none") is a value besides the range
  kMemoryOnly = 1 << 3,        // an identity text the file and fingerprint never see
};

// Every function of the table, in the table's order, named after its
// keyword. Code names a function by this; keywords are for the file, the
// text form of requests and the command line.
enum class Function : std::uint8_t {
  kBootRomVersion,
  kFirmwareRevision,
  kSerialNumber,
  kModelName,
  kSystemMacAddress,
  kSystemName,
  kEnergySaving,
  kLedBrightness,
  kStatusLedMode,
  kStatusFan,
  kRestart,
  kStatusFanRpm,

  kPortSpeed,
  kPortUse,
  kPortAutoCrossover,
  kPortSpeedDownshift,
  kPortFlowControl,
  kStatusPortSpeed,
  kPortBlockingControlPacket,
  kPortBlockingDataPacket,

  kMacAddressAging,
  kMacAddressAgingTimer,
  kStatusMacTableAddress,
  kStatusMacTablePort,
  kClearMacTable,

  kVlanId,
  kVlanPortMode,
  kVlanAccess,
  kVlanTrunk,
  kVlanMultipleUse,
  kVlanMultiple,

  kQosDscpRemarkType,
  kQosDscpRemarkClass,
  kQosSpeedUnit,
  kQosPolicingUse,
  kQosPolicingSpeed,
  kQosShapingUse,
  kQosShapingSpeed,

  kMirroringUse,
  kMirroringDestination,
  kMirroringSourceRx,
  kMirroringSourceTx,

  kCounterFrameRxType,
  kCounterFrameTxType,
  kStatusCounterFrameRx,
  kStatusCounterFrameTx,
  kStatusCounterOctetRx,
  kStatusCounterOctetTx,
  kClearCounter,

  kLoopDetectCount,
  kLoopDetectTime,
  kLoopDetectLinkDown,
  kLoopDetectRecoveryTimer,
  kLoopDetectPortUse,
  kStatusLoopDetectPort,
  kStatusLoopDetectRecoveryTimer,
  kResetLoopDetect,
  kLoopDetectUseControlPacket,

  kPoeClass,
  kStatusPoeSupply,
  kStatusPoeDetectClass,
  kStatusPoeTemperature,
  kStatusPoeState,
  kRestartPoeSupply,

  kRouteBackupPort,
};

struct FunctionDescriptor {
  std::string_view keyword{};
  Function function{};
  std::uint16_t functionId = 0;
  std::int32_t valueType = 0;          // ValueType
  std::int32_t indexType = 0;          // IndexType
  std::uint8_t operations = kOpsNone;  // FunctionOps
  FunctionClass functionClass = FunctionClass::kStatus;
  IndexKind index = IndexKind::kNone;
  ValueKind value = ValueKind::kNumber;
  ModelScope models = ModelScope::kAll;

  // The record's integer field at the given indexes (null when none).
  RelaxedInt32* (*field)(SwitchRecord& record, int first, int second) = nullptr;
  // The record's text (identity and system name) or 64-bit counter.
  SharedText SwitchRecord::*text = nullptr;
  RelaxedUint64* (*counter)(SwitchRecord& record, int first, int second) = nullptr;
  // QoS rates: the selection number kept beside the raw rate.
  RelaxedInt32* (*selection)(SwitchRecord& record, int port) = nullptr;
  // How a get answer's integer becomes the stored value; nullopt: ignored.
  std::optional<std::int32_t> (*fromWire)(std::int64_t wire) = nullptr;
  // A status's stored value in the operator's words (the window's texts).
  std::string (*statusWords)(std::int32_t value) = nullptr;

  DefaultRule defaultRule = DefaultRule::kNone;
  std::int32_t defaultValue = 0;
  // Stored values: min..max (for kPortIndex 0..ports-1 of the switch).
  std::int32_t min = 0;
  std::int32_t max = 0;
  // Sent (and written in the file) as the stored value plus this.
  std::int32_t wireOffset = 0;
  // The setter checks the range and fails with code 11 and "<rangeName>の範囲は<min>～<max>です".
  std::string_view rangeName{};
  // The index type of set requests when it differs from indexType (-1: none).
  std::int32_t setIndexType = -1;

  // The file's value words, and those of the text form of requests.
  const ValueWords* fileWords = nullptr;
  const ValueWords* requestWords = nullptr;
  MissingWord missingWord = MissingWord::kUnknownMark;
  // A further check of a value at a port (PoE classes).
  bool (*offered)(int port, std::int32_t value) = nullptr;
  std::uint8_t flags = kFlagsNone;

  bool Has(DescriptorFlags flag) const { return (flags & flag) != 0; }
  bool Requested() const { return operations != kOpsNone; }
};

inline constexpr std::size_t kFunctionCount = 65;
static_assert(static_cast<std::size_t>(Function::kRouteBackupPort) + 1 == kFunctionCount,
              "one enumerator per function");

// The descriptor of a function; the table holds one for every enumerator.
const FunctionDescriptor& DescriptorOf(Function function);

// Whole-text, case-sensitive match in table order; nullptr when none matches.
// Note the keyword of 0x010E, "status-fan-rpm ", ends in one blank.
const FunctionDescriptor* FindFunctionByKeyword(std::string_view keyword);
const FunctionDescriptor* FindFunctionById(std::uint16_t functionId);
std::size_t FunctionEntryCount();
std::span<const FunctionDescriptor> AllFunctions();

// The decoder's view of the catalogue (a FunctionTypeLookup).
bool LookupFunctionTypes(std::uint16_t functionId, std::int32_t& valueType,
                         std::int32_t& indexType);

// Whether a model (catalogue/switch_model.h) has the function.
bool ModelHasFunction(const FunctionDescriptor& function, std::int32_t modelCode);

// The default of a setting at the indexes, exactly; nothing for functions
// without an integer default or indexes outside the defaults' tables.
std::optional<std::int32_t> DefaultValueOf(const FunctionDescriptor& function,
                                           const SwitchRecord& record, int first, int second);
// Whether `value` counts as the default (vlan-id also takes its own number).
bool IsDefaultValue(const FunctionDescriptor& function, const SwitchRecord& record, int first,
                    int second, std::int32_t value);

// The integer field's current value (the field must exist).
std::int32_t StoredValue(const FunctionDescriptor& function, const SwitchRecord& record, int first,
                         int second);

// The highest stored value for a switch of `portCount` ports.
std::int32_t MaxValue(const FunctionDescriptor& function, int portCount);
// Whether a stored value is in range, has a word where the function has
// words, and is offered at the port.
bool ValueAccepted(const FunctionDescriptor& function, std::int32_t value, int port, int portCount);
// The setter's range text ("...の範囲は1～86400です").
std::string RangeMessage(const FunctionDescriptor& function);

// How many index numbers the function's requests and file lines carry.
int IndexCount(const FunctionDescriptor& function);
// The count of values of the first and second index on a switch.
int FirstIndexLimit(const FunctionDescriptor& function, int ports);
int SecondIndexLimit(const FunctionDescriptor& function, int ports, int counters);
// Whether the indexes lie within the record's capacity (not its counts).
bool IndexesFitRecord(const FunctionDescriptor& function, int first, int second);

// Calls `visit(first, second)` for every index of the function on the
// record's port and counter counts, in ascending order, until it returns false.
template <typename Visit>
bool ForEachIndex(const FunctionDescriptor& function, const SwitchRecord& record, Visit visit) {
  const int ports = std::clamp<int>(record.portCount, 0, kMaxPorts);
  const int counters = std::clamp<int>(record.counterCount, 0, kMaxCounters);
  const int firsts = FirstIndexLimit(function, ports);
  const int seconds = SecondIndexLimit(function, ports, counters);
  for (int first = 0; first < firsts; ++first) {
    for (int second = 0; second < seconds; ++second) {
      if (!visit(first, second)) return false;
    }
  }
  return true;
}

}  // namespace ntr
