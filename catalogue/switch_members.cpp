#include "catalogue/switch_members.h"

#include <array>

#include "catalogue/switch_model.h"
#include "protocol/pdu.h"

namespace ntr {
namespace {

using Wire = std::optional<std::int32_t>;
using Check = std::optional<std::string>;

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
Wire LinkSpeed(std::int64_t v) { return v == 0 || (v >= 2 && v <= 6) ? Wire(static_cast<std::int32_t>(v)) : std::nullopt; }
Wire TxCounterType(std::int64_t v) {
  return (v >= 0 && v <= 17) || (v >= 26 && v <= 28) ? Wire(static_cast<std::int32_t>(v)) : std::nullopt;
}

// Values sent by a set.
std::int64_t Same(std::int32_t v) { return v; }
std::int64_t PlusOne(std::int32_t v) { return static_cast<std::int64_t>(v) + 1; }

// Defaults.
template <int Default>
bool Is(const tag_SWITCHDATA&, int, int, std::int32_t v) {
  return v == Default;
}
bool VlanIdDefault(const tag_SWITCHDATA&, int r, int, std::int32_t v) { return v == 1 || v == r + 1; }
bool MirrorDefault(const tag_SWITCHDATA& record, int, int, std::int32_t v) {
  return v == DefaultMirrorDestination(record.modelName.get());
}
bool RxTypeDefault(const tag_SWITCHDATA&, int, int k, std::int32_t v) {
  return k >= 0 && k < kMaxCounters && v == kDefaultRxCounterTypes[k];
}
bool TxTypeDefault(const tag_SWITCHDATA&, int, int k, std::int32_t v) {
  return k >= 0 && k < kMaxCounters && v == kDefaultTxCounterTypes[k];
}
bool PoeDefault(const tag_SWITCHDATA&, int p, int, std::int32_t v) { return v == DefaultPoeClass(p); }
bool Never(const tag_SWITCHDATA&, int, int, std::int32_t) { return false; }

// Value checks of the setters.
Check NoCheck(const tag_SWITCHDATA&, std::int32_t) { return std::nullopt; }
Check AgeingTime(const tag_SWITCHDATA&, std::int32_t v) {
  if (v >= 10 && v <= 64800) return std::nullopt;
  return "MACアドレスのエージング時間の範囲は10～64800です";
}
Check VlanId(const tag_SWITCHDATA&, std::int32_t v) {
  if (v >= 1 && v <= kMaxVlanId) return std::nullopt;
  return "VLAN IDの範囲は1～" + std::to_string(kMaxVlanId) + "です";
}
Check RemarkClass(const tag_SWITCHDATA&, std::int32_t v) {
  if (v >= 0 && v <= 4) return std::nullopt;
  return "受信フレーム置き換えクラスの範囲は0～4です";
}
Check LoopCount(const tag_SWITCHDATA&, std::int32_t v) {
  if (v >= 3 && v <= 65535) return std::nullopt;
  return "MACアドレス移動回数の範囲は3～65535です";
}
Check LoopTime(const tag_SWITCHDATA&, std::int32_t v) {
  if (v >= 2 && v <= 60) return std::nullopt;
  return "ループ検出時間の範囲は2～60です";
}
Check RecoveryTimer(const tag_SWITCHDATA&, std::int32_t v) {
  if (v >= 1 && v <= 86400) return std::nullopt;
  return "ループ検出ダウンタイムアウト時間の範囲は1～86400です";
}

// Record fields.
#define SWITCH_FIELD(member) [](tag_SWITCHDATA& r, int, int) -> S32* { return &r.member; }
#define PORT_FIELD(member) [](tag_SWITCHDATA& r, int p, int) -> S32* { return &r.ports[p].member; }
#define STATUS_FIELD(member) \
  [](tag_SWITCHDATA& r, int p, int) -> S32* { return &r.portStatus[p].member; }

constexpr std::int32_t kSameIndexType = -1;

const std::array<MemberSpec, 59> kMembers{{
    {"boot-rom-version", MemberArgs::kNone, MemberKind::kIdentity, nullptr, nullptr, Never, Same, NoCheck, kSameIndexType},
    {"firmware-revision", MemberArgs::kNone, MemberKind::kIdentity, nullptr, nullptr, Never, Same, NoCheck, kSameIndexType},
    {"serial-number", MemberArgs::kNone, MemberKind::kIdentity, nullptr, nullptr, Never, Same, NoCheck, kSameIndexType},
    {"model-name", MemberArgs::kNone, MemberKind::kIdentity, nullptr, nullptr, Never, Same, NoCheck, kSameIndexType},
    {"system-macaddress", MemberArgs::kNone, MemberKind::kIdentity, nullptr, nullptr, Never, Same, NoCheck, kSameIndexType},
    {"system-name", MemberArgs::kNone, MemberKind::kSetting, nullptr, nullptr, Never, Same, NoCheck, kSameIndexType},
    {"energy-saving", MemberArgs::kNone, MemberKind::kSetting, NonZero, SWITCH_FIELD(energySaving), Is<0>, Same, NoCheck, kSameIndexType},
    {"led-brightness", MemberArgs::kNone, MemberKind::kSetting, OneOrZero, SWITCH_FIELD(ledBrightness), Is<0>, Same, NoCheck, kSameIndexType},
    {"status-fan", MemberArgs::kNone, MemberKind::kStatus, NonZero, SWITCH_FIELD(fanState), Never, Same, NoCheck, kSameIndexType},
    {"status-fan-rpm ", MemberArgs::kFan, MemberKind::kStatus, AsIs, [](tag_SWITCHDATA& r, int f, int) -> S32* { return &r.fanSpeeds[f]; }, Never, Same, NoCheck, kSameIndexType},
    {"restart", MemberArgs::kNone, MemberKind::kAction, nullptr, nullptr, Never, Same, NoCheck, kSameIndexType},
    {"port-speed", MemberArgs::kPort, MemberKind::kSetting, InRange<1, 6>, PORT_FIELD(speed), Is<1>, Same, NoCheck, kSameIndexType},
    {"port-use", MemberArgs::kPort, MemberKind::kSetting, NonZero, PORT_FIELD(use), Is<1>, Same, NoCheck, kSameIndexType},
    {"port-auto-crossover", MemberArgs::kPort, MemberKind::kSetting, NonZero, PORT_FIELD(autoCrossover), Is<1>, Same, NoCheck, kSameIndexType},
    {"port-speed-downshift", MemberArgs::kPort, MemberKind::kSetting, NonZero, PORT_FIELD(speedDownshift), Is<1>, Same, NoCheck, kSameIndexType},
    {"port-flow-control", MemberArgs::kPort, MemberKind::kSetting, NonZero, PORT_FIELD(flowControl), Is<0>, Same, NoCheck, kSameIndexType},
    {"status-port-speed", MemberArgs::kPort, MemberKind::kStatus, LinkSpeed, STATUS_FIELD(linkSpeed), Never, Same, NoCheck, kSameIndexType},
    {"port-blocking-control-packet", MemberArgs::kPort, MemberKind::kSetting, NonZero, PORT_FIELD(blockControlPackets), Is<0>, Same, NoCheck, kSameIndexType},
    {"port-blocking-data-packet", MemberArgs::kPort, MemberKind::kSetting, NonZero, PORT_FIELD(blockDataPackets), Is<0>, Same, NoCheck, kSameIndexType},
    {"macaddress-aging", MemberArgs::kNone, MemberKind::kSetting, NonZero, SWITCH_FIELD(macAgeing), Never, Same, NoCheck, kSameIndexType},
    {"macaddress-aging-timer", MemberArgs::kNone, MemberKind::kSetting, AsIs, SWITCH_FIELD(macAgeingTime), Is<300>, Same, AgeingTime, kSameIndexType},
    {"vlan-id", MemberArgs::kRegistration, MemberKind::kSetting, AsIs, [](tag_SWITCHDATA& r, int reg, int) -> S32* { return &r.vlanIds[reg]; }, VlanIdDefault, Same, VlanId, kSameIndexType},
    {"vlan-port-mode", MemberArgs::kPort, MemberKind::kSetting, InRange<0, 2>, PORT_FIELD(vlanMode), Is<0>, Same, NoCheck, kSameIndexType},
    {"vlan-access", MemberArgs::kPort, MemberKind::kSetting, MinusOne<1, kVlanRegistrations>, PORT_FIELD(accessVlanEntry), Is<0>, PlusOne, NoCheck, kIndexRegistration},
    {"vlan-trunk", MemberArgs::kPortRegistration, MemberKind::kSetting, OneOrZero, [](tag_SWITCHDATA& r, int p, int reg) -> S32* { return &r.ports[p].trunk[reg]; }, Is<0>, Same, NoCheck, kSameIndexType},
    {"vlan-multiple-use", MemberArgs::kNone, MemberKind::kSetting, NonZero, SWITCH_FIELD(multipleVlanUse), Is<0>, Same, NoCheck, kSameIndexType},
    {"vlan-multiple", MemberArgs::kPortGroup, MemberKind::kSetting, OneOrZero, [](tag_SWITCHDATA& r, int p, int g) -> S32* { return &r.ports[p].multiple[g]; }, Is<0>, Same, NoCheck, kSameIndexType},
    {"qos-dscp-remark-type", MemberArgs::kPort, MemberKind::kSetting, InRange<0, 2>, PORT_FIELD(dscpRemarkType), Is<0>, Same, NoCheck, kSameIndexType},
    {"qos-dscp-remark-class", MemberArgs::kPort, MemberKind::kSetting, AsIs, PORT_FIELD(dscpRemarkClass), Is<0>, Same, RemarkClass, kSameIndexType},
    {"qos-speed-unit", MemberArgs::kNone, MemberKind::kSetting, InRange<0, 3>, SWITCH_FIELD(qosSpeedUnit), Is<3>, Same, NoCheck, kSameIndexType},
    {"qos-policing-use", MemberArgs::kPort, MemberKind::kSetting, NonZero, PORT_FIELD(policingUse), Is<0>, Same, NoCheck, kSameIndexType},
    {"qos-policing-speed", MemberArgs::kPort, MemberKind::kSetting, AsIs, PORT_FIELD(policingRate), Is<1>, Same, NoCheck, kSameIndexType},
    {"qos-shaping-use", MemberArgs::kPort, MemberKind::kSetting, NonZero, PORT_FIELD(shapingUse), Is<0>, Same, NoCheck, kSameIndexType},
    {"qos-shaping-speed", MemberArgs::kPort, MemberKind::kSetting, AsIs, PORT_FIELD(shapingRate), Is<1>, Same, NoCheck, kSameIndexType},
    {"mirroring-use", MemberArgs::kNone, MemberKind::kSetting, NonZero, SWITCH_FIELD(mirroringUse), Is<0>, Same, NoCheck, kSameIndexType},
    {"mirroring-dest", MemberArgs::kDestination, MemberKind::kSetting, MinusOne<1, kMaxPorts>, SWITCH_FIELD(mirrorDestination), MirrorDefault, PlusOne, NoCheck, kSameIndexType},
    {"mirroring-src-rx", MemberArgs::kPort, MemberKind::kSetting, NonZero, PORT_FIELD(mirrorRx), Is<0>, Same, NoCheck, kSameIndexType},
    {"mirroring-src-tx", MemberArgs::kPort, MemberKind::kSetting, NonZero, PORT_FIELD(mirrorTx), Is<0>, Same, NoCheck, kSameIndexType},
    {"counter-frame-rx-type", MemberArgs::kPortCounter, MemberKind::kSetting, InRange<0, 25>, [](tag_SWITCHDATA& r, int p, int k) -> S32* { return &r.ports[p].rxCounterTypes[k]; }, RxTypeDefault, Same, NoCheck, kSameIndexType},
    {"counter-frame-tx-type", MemberArgs::kPortCounter, MemberKind::kSetting, TxCounterType, [](tag_SWITCHDATA& r, int p, int k) -> S32* { return &r.ports[p].txCounterTypes[k]; }, TxTypeDefault, Same, NoCheck, kSameIndexType},
    {"status-counter-frame-rx", MemberArgs::kPortCounter, MemberKind::kStatus, nullptr, nullptr, Never, Same, NoCheck, kSameIndexType},
    {"status-counter-frame-tx", MemberArgs::kPortCounter, MemberKind::kStatus, nullptr, nullptr, Never, Same, NoCheck, kSameIndexType},
    {"status-counter-octet-rx", MemberArgs::kPort, MemberKind::kStatus, nullptr, nullptr, Never, Same, NoCheck, kSameIndexType},
    {"status-counter-octet-tx", MemberArgs::kPort, MemberKind::kStatus, nullptr, nullptr, Never, Same, NoCheck, kSameIndexType},
    {"clear-counter", MemberArgs::kNone, MemberKind::kAction, nullptr, nullptr, Never, Same, NoCheck, kSameIndexType},
    {"loopdetect-count", MemberArgs::kNone, MemberKind::kSetting, AsIs, SWITCH_FIELD(loopCount), Is<3>, Same, LoopCount, kSameIndexType},
    {"loopdetect-time", MemberArgs::kNone, MemberKind::kSetting, AsIs, SWITCH_FIELD(loopDetectionTime), Is<3>, Same, LoopTime, kSameIndexType},
    {"loopdetect-linkdown", MemberArgs::kNone, MemberKind::kSetting, InRange<0, 2>, SWITCH_FIELD(loopLinkDown), Is<0>, Same, NoCheck, kSameIndexType},
    {"loopdetect-recovery-timer", MemberArgs::kNone, MemberKind::kSetting, AsIs, SWITCH_FIELD(loopRecoveryTime), Is<300>, Same, RecoveryTimer, kSameIndexType},
    {"loopdetect-port-use", MemberArgs::kPort, MemberKind::kSetting, NonZero, PORT_FIELD(loopDetect), Is<1>, Same, NoCheck, kSameIndexType},
    {"status-loopdetect-port", MemberArgs::kPort, MemberKind::kStatus, InRange<0, 2>, STATUS_FIELD(loopState), Never, Same, NoCheck, kSameIndexType},
    {"loopdetect-use-control-packet", MemberArgs::kNone, MemberKind::kSetting, NonZero, SWITCH_FIELD(loopControlPackets), Is<1>, Same, NoCheck, kSameIndexType},
    {"poe-class", MemberArgs::kPort, MemberKind::kSetting, AsIs, PORT_FIELD(poeClass), PoeDefault, Same, NoCheck, kSameIndexType},
    {"status-poe-supply", MemberArgs::kPort, MemberKind::kStatus, AsIs, STATUS_FIELD(poeSupply), Never, Same, NoCheck, kSameIndexType},
    {"status-poe-detect-class", MemberArgs::kPort, MemberKind::kStatus, AsIs, STATUS_FIELD(poeDetectClass), Never, Same, NoCheck, kSameIndexType},
    {"status-poe-temperature", MemberArgs::kNone, MemberKind::kStatus, AsIs, SWITCH_FIELD(poeTemperature), Never, Same, NoCheck, kSameIndexType},
    {"status-poe-state", MemberArgs::kPort, MemberKind::kStatus, AsIs, STATUS_FIELD(poeState), Never, Same, NoCheck, kSameIndexType},
    {"restart-poe-supply", MemberArgs::kNone, MemberKind::kAction, nullptr, nullptr, Never, Same, NoCheck, kSameIndexType},
    {"routebackup-backup-port", MemberArgs::kPort, MemberKind::kSetting, MinusOne<0, kMaxPorts>, PORT_FIELD(backupPort), Is<-1>, PlusOne, NoCheck, kSameIndexType},
}};

#undef SWITCH_FIELD
#undef PORT_FIELD
#undef STATUS_FIELD

}  // namespace

const MemberSpec* FindMember(std::string_view keyword) {
  for (const auto& member : kMembers) {
    if (member.keyword == keyword) return &member;
  }
  return nullptr;
}

std::optional<std::int32_t> DefaultValueOf(const MemberSpec& member, const tag_SWITCHDATA& record,
                                           int first, int second) {
  if (member.keyword == "vlan-id") return 1;
  if (member.keyword == "mirroring-dest") return DefaultMirrorDestination(record.modelName.get());
  if (member.keyword == "macaddress-aging") return 1;
  if (member.keyword == "counter-frame-rx-type") {
    return second >= 0 && second < kMaxCounters ? std::optional(kDefaultRxCounterTypes[second])
                                                : std::nullopt;
  }
  if (member.keyword == "counter-frame-tx-type") {
    return second >= 0 && second < kMaxCounters ? std::optional(kDefaultTxCounterTypes[second])
                                                : std::nullopt;
  }
  if (member.keyword == "poe-class") return DefaultPoeClass(first);
  // Every other setting has one default value: find it by asking isDefault.
  for (std::int32_t candidate : {0, 1, 3, 300, -1}) {
    if (member.isDefault(record, first, second, candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace ntr
