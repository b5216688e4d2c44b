#include "catalogue/function_descriptors.h"

#include <array>

#include "catalogue/status_texts.h"
#include "catalogue/switch_model.h"
#include "codec/pdu.h"

namespace ntr {
namespace {

using Wire = std::optional<std::int32_t>;

// Conversions of a get answer.
Wire NonZero(std::int64_t v) { return v != 0 ? 1 : 0; }
Wire OneOrZero(std::int64_t v) { return v == 1 ? 1 : 0; }
Wire AsIs(std::int64_t v) { return static_cast<std::int32_t>(v); }
template <int Low, int High>
Wire InRange(std::int64_t v) {
  return v >= Low && v <= High ? Wire(static_cast<std::int32_t>(v)) : std::nullopt;
}
// Stored one less than sent; values the record cannot hold are ignored.
template <int Low, int High>
Wire MinusOne(std::int64_t v) {
  return v >= Low && v <= High ? Wire(static_cast<std::int32_t>(v - 1)) : std::nullopt;
}
Wire LinkSpeed(std::int64_t v) {
  return v == 0 || (v >= 2 && v <= 6) ? Wire(static_cast<std::int32_t>(v)) : std::nullopt;
}
Wire TxCounterType(std::int64_t v) {
  return (v >= 0 && v <= 17) || (v >= 26 && v <= 28) ? Wire(static_cast<std::int32_t>(v))
                                                     : std::nullopt;
}

constexpr std::uint8_t kGet = kOpsGet;
constexpr std::uint8_t kGetSet = kOpsGet | kOpsSet;
constexpr std::uint8_t kAll = kOpsGet | kOpsSet | kOpsSetDefault;

using R = SwitchRecord;
using C = FunctionClass;
using I = IndexKind;
using V = ValueKind;
using M = ModelScope;
using D = DefaultRule;

#define SWITCH_FIELD(member) [](R& r, int, int) -> RelaxedInt32* { return &r.member; }
#define PORT_FIELD(member) [](R& r, int p, int) -> RelaxedInt32* { return &r.ports[p].member; }
#define STATUS_FIELD(member) \
  [](R& r, int p, int) -> RelaxedInt32* { return &r.portStatus[p].member; }

// An on/off setting of the switch or of a port.
#define ON_OFF(defaultCode)                                                                       \
  .fromWire = NonZero, .defaultRule = D::kFixed, .defaultValue = defaultCode, .min = 0, .max = 1, \
  .fileWords = &kOnOffWords, .requestWords = &kOnOffWords

// The high byte of an ID groups the functions: 0x01 system, 0x02 ports,
// 0x03 MAC address table, 0x04 VLANs, 0x05 QoS, 0x06 mirroring, 0x07 frame
// counters, 0x08 loop detection, 0x09 power over Ethernet, 0x0A route backup.
// Entries without operations are known so that they can be decoded and
// printed, but the tool never requests them.
// One entry per function, its fields in one place, one or two lines each.
// clang-format off
constexpr std::array<FunctionDescriptor, kFunctionCount> kDescriptors{{
    {.keyword = "boot-rom-version", .function = Function::kBootRomVersion, .functionId = 0x0101, .valueType = kValueOctets, .indexType = kIndexNone, .operations = kGet, .functionClass = C::kIdentity,
     .value = V::kIdentityText, .text = &R::bootRomVersion, .flags = kMemoryOnly},
    {.keyword = "firmware-revision", .function = Function::kFirmwareRevision, .functionId = 0x0102, .valueType = kValueOctets, .indexType = kIndexNone, .operations = kGet, .functionClass = C::kIdentity,
     .value = V::kIdentityText, .text = &R::firmwareRevision},
    {.keyword = "serial-number", .function = Function::kSerialNumber, .functionId = 0x0103, .valueType = kValueOctets, .indexType = kIndexNone, .operations = kGet, .functionClass = C::kIdentity,
     .value = V::kIdentityText, .text = &R::serialNumber},
    {.keyword = "model-name", .function = Function::kModelName, .functionId = 0x0104, .valueType = kValueOctets, .indexType = kIndexNone, .operations = kGet, .functionClass = C::kIdentity,
     .value = V::kIdentityText, .text = &R::modelName},
    {.keyword = "system-macaddress", .function = Function::kSystemMacAddress, .functionId = 0x0105, .valueType = kValueOctets, .indexType = kIndexNone, .operations = kGet, .functionClass = C::kIdentity,
     .value = V::kMacAddress, .text = &R::macText},
    {.keyword = "system-name", .function = Function::kSystemName, .functionId = 0x0106, .valueType = kValueOctets, .indexType = kIndexNone, .operations = kAll, .functionClass = C::kSetting,
     .value = V::kText, .text = &R::systemName},
    {.keyword = "energy-saving", .function = Function::kEnergySaving, .functionId = 0x0107, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kAll, .functionClass = C::kSetting,
     .field = SWITCH_FIELD(energySaving), ON_OFF(0), .flags = kRequestWordAlone},
    {.keyword = "led-brightness", .function = Function::kLedBrightness, .functionId = 0x0108, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kAll, .functionClass = C::kSetting,
     .field = SWITCH_FIELD(ledBrightness), .fromWire = OneOrZero, .defaultRule = D::kFixed, .min = 0, .max = 1,
     .fileWords = &kBrightnessWords, .requestWords = &kBrightnessWords, .flags = kRequestWordAlone},
    {.keyword = "status-led-mode", .function = Function::kStatusLedMode, .functionId = 0x0109, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kOpsNone, .functionClass = C::kStatus},
    {.keyword = "status-fan", .function = Function::kStatusFan, .functionId = 0x010A, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kGet, .functionClass = C::kStatus,
     .models = M::kSystemFan, .field = SWITCH_FIELD(fanState), .fromWire = NonZero, .statusWords = FanStateText},
    {.keyword = "restart", .function = Function::kRestart, .functionId = 0x010B, .valueType = kValueNone, .indexType = kIndexNone, .operations = kOpsExecute, .functionClass = C::kAction,
     .value = V::kNone},
    {.keyword = "status-fan-rpm ", .function = Function::kStatusFanRpm, .functionId = 0x010E, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kGet, .functionClass = C::kStatus,
     .index = I::kFan, .models = M::kPoe, .field = [](R& r, int f, int) -> RelaxedInt32* { return &r.fanSpeeds[f]; }, .fromWire = AsIs},
    {.keyword = "port-speed", .function = Function::kPortSpeed, .functionId = 0x0201, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .field = PORT_FIELD(speed), .fromWire = InRange<1, 6>, .defaultRule = D::kFixed, .defaultValue = 1, .min = 1, .max = 6,
     .fileWords = &kPortSpeedWords, .requestWords = &kRequestPortSpeedWords},
    {.keyword = "port-use", .function = Function::kPortUse, .functionId = 0x0202, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .field = PORT_FIELD(use), ON_OFF(1)},
    {.keyword = "port-auto-crossover", .function = Function::kPortAutoCrossover, .functionId = 0x0203, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .field = PORT_FIELD(autoCrossover), ON_OFF(1)},
    {.keyword = "port-speed-downshift", .function = Function::kPortSpeedDownshift, .functionId = 0x0204, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .field = PORT_FIELD(speedDownshift), ON_OFF(1)},
    {.keyword = "port-flow-control", .function = Function::kPortFlowControl, .functionId = 0x0205, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .field = PORT_FIELD(flowControl), ON_OFF(0)},
    {.keyword = "status-port-speed", .function = Function::kStatusPortSpeed, .functionId = 0x0206, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kGet, .functionClass = C::kStatus,
     .index = I::kPort, .field = STATUS_FIELD(linkSpeed), .fromWire = LinkSpeed, .statusWords = LinkSpeedText},
    {.keyword = "port-blocking-control-packet", .function = Function::kPortBlockingControlPacket, .functionId = 0x0207, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .field = PORT_FIELD(blockControlPackets), ON_OFF(0)},
    {.keyword = "port-blocking-data-packet", .function = Function::kPortBlockingDataPacket, .functionId = 0x0208, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .field = PORT_FIELD(blockDataPackets), ON_OFF(0)},
    // Has no set-default: its default goes out as a set.
    {.keyword = "macaddress-aging", .function = Function::kMacAddressAging, .functionId = 0x0301, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kGetSet, .functionClass = C::kSetting,
     .field = SWITCH_FIELD(macAgeing), .fromWire = NonZero, .defaultRule = D::kFixed, .defaultValue = 1, .min = 0, .max = 1,
     .fileWords = &kOnOffWords},
    {.keyword = "macaddress-aging-timer", .function = Function::kMacAddressAgingTimer, .functionId = 0x0302, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kAll, .functionClass = C::kSetting,
     .field = SWITCH_FIELD(macAgeingTime), .fromWire = AsIs, .defaultRule = D::kFixed, .defaultValue = 300, .min = 10, .max = 64800,
     .rangeName = "MACアドレスのエージング時間"},
    {.keyword = "status-macaddress-addr", .function = Function::kStatusMacTableAddress, .functionId = 0x0303, .valueType = kValueInteger, .indexType = kIndexMac, .operations = kOpsNone, .functionClass = C::kStatus},
    {.keyword = "status-macaddress-port", .function = Function::kStatusMacTablePort, .functionId = 0x0304, .valueType = kValueOctets, .indexType = kIndexPort, .operations = kOpsNone, .functionClass = C::kStatus},
    {.keyword = "clear-macaddress-table", .function = Function::kClearMacTable, .functionId = 0x0305, .valueType = kValueNone, .indexType = kIndexNone, .operations = kOpsNone, .functionClass = C::kAction,
     .value = V::kNone},
    {.keyword = "vlan-id", .function = Function::kVlanId, .functionId = 0x0401, .valueType = kValueInteger, .indexType = kIndexRegistration, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kRegistration, .field = [](R& r, int reg, int) -> RelaxedInt32* { return &r.vlanIds[reg]; }, .fromWire = AsIs,
     .defaultRule = D::kRegistration, .defaultValue = 1, .min = 1, .max = kMaxVlanId, .rangeName = "VLAN ID"},
    {.keyword = "vlan-port-mode", .function = Function::kVlanPortMode, .functionId = 0x0402, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .field = PORT_FIELD(vlanMode), .fromWire = InRange<0, 2>, .defaultRule = D::kFixed, .min = 0, .max = 2,
     .fileWords = &kVlanModeWords, .requestWords = &kVlanModeWords},
    {.keyword = "vlan-access", .function = Function::kVlanAccess, .functionId = 0x0403, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .value = V::kRegistrationEntry, .field = PORT_FIELD(accessVlanEntry), .fromWire = MinusOne<1, kVlanRegistrations>,
     .defaultRule = D::kFixed, .min = 0, .max = kVlanRegistrations - 1, .wireOffset = 1, .setIndexType = kIndexRegistration},
    {.keyword = "vlan-trunk", .function = Function::kVlanTrunk, .functionId = 0x0404, .valueType = kValueInteger, .indexType = kIndexPortRegistration, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPortRegistration, .field = [](R& r, int p, int reg) -> RelaxedInt32* { return &r.ports[p].trunk[reg]; }, .fromWire = OneOrZero,
     .defaultRule = D::kFixed, .min = 0, .max = 1, .fileWords = &kJoinLeaveWords, .requestWords = &kJoinLeaveWords},
    {.keyword = "vlan-multiple-use", .function = Function::kVlanMultipleUse, .functionId = 0x0405, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kAll, .functionClass = C::kSetting,
     .field = SWITCH_FIELD(multipleVlanUse), ON_OFF(0), .flags = kRequestWordAlone},
    {.keyword = "vlan-multiple", .function = Function::kVlanMultiple, .functionId = 0x0406, .valueType = kValueInteger, .indexType = kIndexPortGroup, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPortGroup, .field = [](R& r, int p, int g) -> RelaxedInt32* { return &r.ports[p].multiple[g]; }, .fromWire = OneOrZero,
     .defaultRule = D::kFixed, .min = 0, .max = 1, .fileWords = &kJoinLeaveWords, .requestWords = &kJoinLeaveWords},
    {.keyword = "qos-dscp-remark-type", .function = Function::kQosDscpRemarkType, .functionId = 0x0501, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .field = PORT_FIELD(dscpRemarkType), .fromWire = InRange<0, 2>, .defaultRule = D::kFixed, .min = 0, .max = 2,
     .fileWords = &kRemarkTypeWords, .requestWords = &kRemarkTypeWords},
    {.keyword = "qos-dscp-remark-class", .function = Function::kQosDscpRemarkClass, .functionId = 0x0502, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .field = PORT_FIELD(dscpRemarkClass), .fromWire = AsIs, .defaultRule = D::kFixed, .min = 0, .max = 4,
     .rangeName = "受信フレーム置き換えクラス", .fileWords = &kRemarkClassWords, .requestWords = &kRemarkClassWords},
    {.keyword = "qos-speed-unit", .function = Function::kQosSpeedUnit, .functionId = 0x0503, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kAll, .functionClass = C::kSetting,
     .models = M::kQosBandwidth, .field = SWITCH_FIELD(qosSpeedUnit), .fromWire = InRange<0, 3>, .defaultRule = D::kFixed, .defaultValue = 3,
     .min = 0, .max = 3, .fileWords = &kSpeedUnitWords, .requestWords = &kSpeedUnitWords, .flags = kRequestWordAlone},
    {.keyword = "qos-policing-use", .function = Function::kQosPolicingUse, .functionId = 0x0504, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .models = M::kQosBandwidth, .field = PORT_FIELD(policingUse), ON_OFF(0)},
    {.keyword = "qos-policing-speed", .function = Function::kQosPolicingSpeed, .functionId = 0x0505, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .value = V::kQosRate, .models = M::kQosBandwidth, .field = PORT_FIELD(policingRate),
     .selection = [](R& r, int p) -> RelaxedInt32* { return &r.ports[p].policingSelection; }, .fromWire = AsIs,
     .defaultRule = D::kFixed, .defaultValue = 1, .min = 1, .max = 31},
    {.keyword = "qos-shaping-use", .function = Function::kQosShapingUse, .functionId = 0x0506, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .models = M::kQosBandwidth, .field = PORT_FIELD(shapingUse), ON_OFF(0)},
    {.keyword = "qos-shaping-speed", .function = Function::kQosShapingSpeed, .functionId = 0x0507, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .value = V::kQosRate, .models = M::kQosBandwidth, .field = PORT_FIELD(shapingRate),
     .selection = [](R& r, int p) -> RelaxedInt32* { return &r.ports[p].shapingSelection; }, .fromWire = AsIs,
     .defaultRule = D::kFixed, .defaultValue = 1, .min = 1, .max = 31},
    {.keyword = "mirroring-use", .function = Function::kMirroringUse, .functionId = 0x0601, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kAll, .functionClass = C::kSetting,
     .field = SWITCH_FIELD(mirroringUse), ON_OFF(0), .flags = kRequestWordAlone},
    {.keyword = "mirroring-dest", .function = Function::kMirroringDestination, .functionId = 0x0602, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kDestination, .value = V::kPortIndex, .field = SWITCH_FIELD(mirrorDestination), .fromWire = MinusOne<1, kMaxPorts>,
     .defaultRule = D::kModelMirror, .min = 0, .max = kMaxPorts - 1, .wireOffset = 1},
    {.keyword = "mirroring-src-rx", .function = Function::kMirroringSourceRx, .functionId = 0x0603, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .field = PORT_FIELD(mirrorRx), ON_OFF(0)},
    {.keyword = "mirroring-src-tx", .function = Function::kMirroringSourceTx, .functionId = 0x0604, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .field = PORT_FIELD(mirrorTx), ON_OFF(0)},
    {.keyword = "counter-frame-rx-type", .function = Function::kCounterFrameRxType, .functionId = 0x0701, .valueType = kValueInteger, .indexType = kIndexPortCounter, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPortCounter, .field = [](R& r, int p, int k) -> RelaxedInt32* { return &r.ports[p].rxCounterTypes[k]; }, .fromWire = InRange<0, 25>,
     .defaultRule = D::kRxCounterType, .min = 0, .max = 25, .fileWords = &kRxCounterTypeWords, .requestWords = &kRxCounterTypeWords,
     .missingWord = MissingWord::kWordOfZero},
    {.keyword = "counter-frame-tx-type", .function = Function::kCounterFrameTxType, .functionId = 0x0702, .valueType = kValueInteger, .indexType = kIndexPortCounter, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPortCounter, .field = [](R& r, int p, int k) -> RelaxedInt32* { return &r.ports[p].txCounterTypes[k]; }, .fromWire = TxCounterType,
     .defaultRule = D::kTxCounterType, .min = 0, .max = 28, .fileWords = &kTxCounterTypeWords, .requestWords = &kTxCounterTypeWords,
     .missingWord = MissingWord::kWordOfZero},
    {.keyword = "status-counter-frame-rx", .function = Function::kStatusCounterFrameRx, .functionId = 0x0703, .valueType = kValueInteger, .indexType = kIndexPortCounter, .operations = kGet, .functionClass = C::kStatus,
     .index = I::kPortCounter, .value = V::kCounter, .counter = [](R& r, int p, int k) -> RelaxedUint64* { return &r.portStatus[p].rxFrames[k]; }},
    {.keyword = "status-counter-frame-tx", .function = Function::kStatusCounterFrameTx, .functionId = 0x0704, .valueType = kValueInteger, .indexType = kIndexPortCounter, .operations = kGet, .functionClass = C::kStatus,
     .index = I::kPortCounter, .value = V::kCounter, .counter = [](R& r, int p, int k) -> RelaxedUint64* { return &r.portStatus[p].txFrames[k]; }},
    {.keyword = "status-counter-octet-rx", .function = Function::kStatusCounterOctetRx, .functionId = 0x0705, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kGet, .functionClass = C::kStatus,
     .index = I::kPort, .value = V::kCounter, .counter = [](R& r, int p, int) -> RelaxedUint64* { return &r.portStatus[p].rxOctets; }},
    {.keyword = "status-counter-octet-tx", .function = Function::kStatusCounterOctetTx, .functionId = 0x0706, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kGet, .functionClass = C::kStatus,
     .index = I::kPort, .value = V::kCounter, .counter = [](R& r, int p, int) -> RelaxedUint64* { return &r.portStatus[p].txOctets; }},
    {.keyword = "clear-counter", .function = Function::kClearCounter, .functionId = 0x0707, .valueType = kValueNone, .indexType = kIndexNone, .operations = kOpsExecute, .functionClass = C::kAction,
     .value = V::kNone},
    {.keyword = "loopdetect-count", .function = Function::kLoopDetectCount, .functionId = 0x0801, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kAll, .functionClass = C::kSetting,
     .field = SWITCH_FIELD(loopCount), .fromWire = AsIs, .defaultRule = D::kFixed, .defaultValue = 3, .min = 3, .max = 65535,
     .rangeName = "MACアドレス移動回数"},
    {.keyword = "loopdetect-time", .function = Function::kLoopDetectTime, .functionId = 0x0802, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kAll, .functionClass = C::kSetting,
     .field = SWITCH_FIELD(loopDetectionTime), .fromWire = AsIs, .defaultRule = D::kFixed, .defaultValue = 3, .min = 2, .max = 60,
     .rangeName = "ループ検出時間"},
    {.keyword = "loopdetect-linkdown", .function = Function::kLoopDetectLinkDown, .functionId = 0x0803, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kAll, .functionClass = C::kSetting,
     .field = SWITCH_FIELD(loopLinkDown), .fromWire = InRange<0, 2>, .defaultRule = D::kFixed, .min = 0, .max = 2,
     .fileWords = &kLinkDownWords, .requestWords = &kLinkDownWords, .flags = kRequestWordAlone},
    {.keyword = "loopdetect-recovery-timer", .function = Function::kLoopDetectRecoveryTimer, .functionId = 0x0804, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kAll, .functionClass = C::kSetting,
     .field = SWITCH_FIELD(loopRecoveryTime), .fromWire = AsIs, .defaultRule = D::kFixed, .defaultValue = 300, .min = 1, .max = 86400,
     .rangeName = "ループ検出ダウンタイムアウト時間"},
    {.keyword = "loopdetect-port-use", .function = Function::kLoopDetectPortUse, .functionId = 0x0805, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .field = PORT_FIELD(loopDetect), ON_OFF(1)},
    {.keyword = "status-loopdetect-port", .function = Function::kStatusLoopDetectPort, .functionId = 0x0806, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kGet, .functionClass = C::kStatus,
     .index = I::kPort, .field = STATUS_FIELD(loopState), .fromWire = InRange<0, 2>, .statusWords = LoopStateText},
    {.keyword = "status-loopdetect-recovery-timer", .function = Function::kStatusLoopDetectRecoveryTimer, .functionId = 0x0807, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kOpsNone, .functionClass = C::kStatus},
    {.keyword = "reset-loopdetect", .function = Function::kResetLoopDetect, .functionId = 0x0808, .valueType = kValueNone, .indexType = kIndexNone, .operations = kOpsNone, .functionClass = C::kAction,
     .value = V::kNone},
    {.keyword = "loopdetect-use-control-packet", .function = Function::kLoopDetectUseControlPacket, .functionId = 0x0809, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kAll, .functionClass = C::kSetting,
     .field = SWITCH_FIELD(loopControlPackets), ON_OFF(1)},
    // The text form of requests spells its codes 0 and 1 as off and on.
    {.keyword = "poe-class", .function = Function::kPoeClass, .functionId = 0x0901, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .models = M::kPoe, .field = PORT_FIELD(poeClass), .fromWire = AsIs, .defaultRule = D::kPortPoeClass, .min = 0, .max = 5,
     .fileWords = &kPoeClassWords, .requestWords = &kOnOffWords, .missingWord = MissingWord::kOmitLine, .offered = PoeClassOffered},
    {.keyword = "status-poe-supply", .function = Function::kStatusPoeSupply, .functionId = 0x0902, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kGet, .functionClass = C::kStatus,
     .index = I::kPort, .models = M::kPoe, .field = STATUS_FIELD(poeSupply), .fromWire = AsIs},
    {.keyword = "status-poe-detect-class", .function = Function::kStatusPoeDetectClass, .functionId = 0x0903, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kGet, .functionClass = C::kStatus,
     .index = I::kPort, .models = M::kPoe, .field = STATUS_FIELD(poeDetectClass), .fromWire = AsIs},
    {.keyword = "status-poe-temperature", .function = Function::kStatusPoeTemperature, .functionId = 0x0904, .valueType = kValueInteger, .indexType = kIndexNone, .operations = kGet, .functionClass = C::kStatus,
     .models = M::kPoe, .field = SWITCH_FIELD(poeTemperature), .fromWire = AsIs},
    {.keyword = "status-poe-state", .function = Function::kStatusPoeState, .functionId = 0x0905, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kGet, .functionClass = C::kStatus,
     .index = I::kPort, .models = M::kPoe, .field = STATUS_FIELD(poeState), .fromWire = AsIs, .statusWords = PoeStateText},
    {.keyword = "restart-poe-supply", .function = Function::kRestartPoeSupply, .functionId = 0x0906, .valueType = kValueNone, .indexType = kIndexNone, .operations = kOpsExecute, .functionClass = C::kAction,
     .value = V::kNone, .models = M::kPoe},
    {.keyword = "routebackup-backup-port", .function = Function::kRouteBackupPort, .functionId = 0x0A01, .valueType = kValueInteger, .indexType = kIndexPort, .operations = kAll, .functionClass = C::kSetting,
     .index = I::kPort, .value = V::kPortIndex, .field = PORT_FIELD(backupPort), .fromWire = MinusOne<0, kMaxPorts>,
     .defaultRule = D::kFixed, .defaultValue = -1, .min = 0, .max = kMaxPorts - 1, .wireOffset = 1, .flags = kAcceptsNone},
}};
// clang-format on

// Entry i describes enumerator i, so DescriptorOf is a plain index.
constexpr bool TableFollowsTheEnumeration() {
  for (std::size_t i = 0; i < kDescriptors.size(); ++i) {
    if (kDescriptors[i].function != static_cast<Function>(i)) return false;
  }
  return true;
}
static_assert(TableFollowsTheEnumeration(), "the table's order is the order of enum Function");

#undef ON_OFF
#undef SWITCH_FIELD
#undef PORT_FIELD
#undef STATUS_FIELD

}  // namespace

const FunctionDescriptor& DescriptorOf(Function function) {
  return kDescriptors[static_cast<std::size_t>(function)];
}

const FunctionDescriptor* FindFunctionByKeyword(std::string_view keyword) {
  if (keyword.empty()) return nullptr;
  for (const auto& entry : kDescriptors) {
    if (entry.keyword == keyword) return &entry;
  }
  return nullptr;
}

const FunctionDescriptor* FindFunctionById(std::uint16_t functionId) {
  for (const auto& entry : kDescriptors) {
    if (entry.functionId == functionId) return &entry;
  }
  return nullptr;
}

std::size_t FunctionEntryCount() { return kDescriptors.size(); }

std::span<const FunctionDescriptor> AllFunctions() { return kDescriptors; }

bool LookupFunctionTypes(std::uint16_t functionId, std::int32_t& valueType,
                         std::int32_t& indexType) {
  const FunctionDescriptor* entry = FindFunctionById(functionId);
  if (entry == nullptr) return false;
  valueType = entry->valueType;
  indexType = entry->indexType;
  return true;
}

bool ModelHasFunction(const FunctionDescriptor& function, std::int32_t modelCode) {
  switch (function.models) {
    case ModelScope::kAll:
      return true;
    case ModelScope::kQosBandwidth:
      return HasQosBandwidth(modelCode);
    case ModelScope::kSystemFan:
      return PollsSystemFan(modelCode);
    case ModelScope::kPoe:
      return HasPoe(modelCode);
  }
  return false;
}

std::optional<std::int32_t> DefaultValueOf(const FunctionDescriptor& function,
                                           const SwitchRecord& record, int first, int second) {
  const bool counterInTable = second >= 0 && second < kMaxCounters;
  switch (function.defaultRule) {
    case DefaultRule::kNone:
      return std::nullopt;
    case DefaultRule::kFixed:
    case DefaultRule::kRegistration:
      return function.defaultValue;
    case DefaultRule::kModelMirror:
      return DefaultMirrorDestination(record.modelName.get());
    case DefaultRule::kRxCounterType:
      return counterInTable ? std::optional(kDefaultRxCounterTypes[second]) : std::nullopt;
    case DefaultRule::kTxCounterType:
      return counterInTable ? std::optional(kDefaultTxCounterTypes[second]) : std::nullopt;
    case DefaultRule::kPortPoeClass:
      return DefaultPoeClass(first);
  }
  return std::nullopt;
}

bool IsDefaultValue(const FunctionDescriptor& function, const SwitchRecord& record, int first,
                    int second, std::int32_t value) {
  if (function.defaultRule == DefaultRule::kRegistration && value == first + 1) return true;
  const auto defaultValue = DefaultValueOf(function, record, first, second);
  return defaultValue && value == *defaultValue;
}

std::int32_t StoredValue(const FunctionDescriptor& function, const SwitchRecord& record, int first,
                         int second) {
  // The accessor takes a writable record; the field is only read here.
  return *function.field(const_cast<SwitchRecord&>(record), first, second);
}

std::int32_t MaxValue(const FunctionDescriptor& function, int portCount) {
  return function.value == ValueKind::kPortIndex ? portCount - 1 : function.max;
}

bool ValueAccepted(const FunctionDescriptor& function, std::int32_t value, int port,
                   int portCount) {
  if (function.Has(kAcceptsNone) && value == -1) return true;
  if (value < function.min || value > MaxValue(function, portCount)) return false;
  if (function.fileWords != nullptr && !function.fileWords->twoState &&
      !function.fileWords->WordOf(value)) {
    return false;
  }
  return function.offered == nullptr || function.offered(port, value);
}

std::string RangeMessage(const FunctionDescriptor& function) {
  return std::string(function.rangeName) + "の範囲は" + std::to_string(function.min) + "～" +
         std::to_string(function.max) + "です";
}

int IndexCount(const FunctionDescriptor& function) {
  switch (function.index) {
    case IndexKind::kNone:
    case IndexKind::kDestination:
      return 0;
    case IndexKind::kPort:
    case IndexKind::kFan:
    case IndexKind::kRegistration:
      return 1;
    case IndexKind::kPortRegistration:
    case IndexKind::kPortGroup:
    case IndexKind::kPortCounter:
      return 2;
  }
  return 0;
}

int FirstIndexLimit(const FunctionDescriptor& function, int ports) {
  switch (function.index) {
    case IndexKind::kNone:
    case IndexKind::kDestination:
      return 1;
    case IndexKind::kFan:
      return kFanCount;
    case IndexKind::kRegistration:
      return kVlanRegistrations;
    case IndexKind::kPort:
    case IndexKind::kPortRegistration:
    case IndexKind::kPortGroup:
    case IndexKind::kPortCounter:
      return ports;
  }
  return 0;
}

int SecondIndexLimit(const FunctionDescriptor& function, int ports, int counters) {
  switch (function.index) {
    case IndexKind::kPortRegistration:
      return kVlanRegistrations;
    case IndexKind::kPortGroup:
      return ports;
    case IndexKind::kPortCounter:
      return counters;
    default:
      return 1;
  }
}

bool IndexesFitRecord(const FunctionDescriptor& function, int first, int second) {
  const auto in = [](int value, int limit) { return value >= 0 && value < limit; };
  const int firsts = FirstIndexLimit(function, kMaxPorts);
  const int seconds = SecondIndexLimit(function, kMaxPorts, kMaxCounters);
  return (IndexCount(function) < 1 || in(first, firsts)) &&
         (IndexCount(function) < 2 || in(second, seconds));
}

}  // namespace ntr
