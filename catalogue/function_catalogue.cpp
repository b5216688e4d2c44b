#include "catalogue/function_catalogue.h"

#include <array>

#include "protocol/pdu.h"

namespace ntr {
namespace {

constexpr std::uint8_t operator|(FunctionOps a, FunctionOps b) {
  return static_cast<std::uint8_t>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}
constexpr std::uint8_t operator|(std::uint8_t a, FunctionOps b) {
  return static_cast<std::uint8_t>(a | static_cast<std::uint8_t>(b));
}

// The high byte of an ID groups the functions: 0x01 system, 0x02 ports,
// 0x03 MAC address table, 0x04 VLANs, 0x05 QoS, 0x06 mirroring, 0x07 frame
// counters, 0x08 loop detection, 0x09 power over Ethernet, 0x0A route backup.
// Entries without operations are known so that they can be decoded and
// printed, but the tool never requests them.
constexpr std::array<FunctionEntry, kFunctionCount> kCatalogue{{
    {"boot-rom-version", 0x0101, kValueOctets, kIndexNone, kOpsGet, FunctionClass::kIdentity},
    {"firmware-revision", 0x0102, kValueOctets, kIndexNone, kOpsGet, FunctionClass::kIdentity},
    {"serial-number", 0x0103, kValueOctets, kIndexNone, kOpsGet, FunctionClass::kIdentity},
    {"model-name", 0x0104, kValueOctets, kIndexNone, kOpsGet, FunctionClass::kIdentity},
    {"system-macaddress", 0x0105, kValueOctets, kIndexNone, kOpsGet, FunctionClass::kIdentity},
    {"system-name", 0x0106, kValueOctets, kIndexNone, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"energy-saving", 0x0107, kValueInteger, kIndexNone, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"led-brightness", 0x0108, kValueInteger, kIndexNone, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"status-led-mode", 0x0109, kValueInteger, kIndexNone, kOpsNone, FunctionClass::kStatus},
    {"status-fan", 0x010A, kValueInteger, kIndexNone, kOpsGet, FunctionClass::kStatus},
    {"restart", 0x010B, kValueNone, kIndexNone, kOpsExecute, FunctionClass::kAction},
    {"status-fan-rpm ", 0x010E, kValueInteger, kIndexPort, kOpsGet, FunctionClass::kStatus},
    {"port-speed", 0x0201, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"port-use", 0x0202, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"port-auto-crossover", 0x0203, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"port-speed-downshift", 0x0204, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"port-flow-control", 0x0205, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"status-port-speed", 0x0206, kValueInteger, kIndexPort, kOpsGet, FunctionClass::kStatus},
    {"port-blocking-control-packet", 0x0207, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"port-blocking-data-packet", 0x0208, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"macaddress-aging", 0x0301, kValueInteger, kIndexNone, kOpsGet | kOpsSet, FunctionClass::kSetting},
    {"macaddress-aging-timer", 0x0302, kValueInteger, kIndexNone, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"status-macaddress-addr", 0x0303, kValueInteger, kIndexMac, kOpsNone, FunctionClass::kStatus},
    {"status-macaddress-port", 0x0304, kValueOctets, kIndexPort, kOpsNone, FunctionClass::kStatus},
    {"clear-macaddress-table", 0x0305, kValueNone, kIndexNone, kOpsNone, FunctionClass::kAction},
    {"vlan-id", 0x0401, kValueInteger, kIndexRegistration, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"vlan-port-mode", 0x0402, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"vlan-access", 0x0403, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"vlan-trunk", 0x0404, kValueInteger, kIndexPortRegistration, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"vlan-multiple-use", 0x0405, kValueInteger, kIndexNone, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"vlan-multiple", 0x0406, kValueInteger, kIndexPortGroup, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"qos-dscp-remark-type", 0x0501, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"qos-dscp-remark-class", 0x0502, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"qos-speed-unit", 0x0503, kValueInteger, kIndexNone, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"qos-policing-use", 0x0504, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"qos-policing-speed", 0x0505, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"qos-shaping-use", 0x0506, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"qos-shaping-speed", 0x0507, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"mirroring-use", 0x0601, kValueInteger, kIndexNone, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"mirroring-dest", 0x0602, kValueInteger, kIndexNone, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"mirroring-src-rx", 0x0603, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"mirroring-src-tx", 0x0604, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"counter-frame-rx-type", 0x0701, kValueInteger, kIndexPortCounter, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"counter-frame-tx-type", 0x0702, kValueInteger, kIndexPortCounter, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"status-counter-frame-rx", 0x0703, kValueInteger, kIndexPortCounter, kOpsGet, FunctionClass::kStatus},
    {"status-counter-frame-tx", 0x0704, kValueInteger, kIndexPortCounter, kOpsGet, FunctionClass::kStatus},
    {"status-counter-octet-rx", 0x0705, kValueInteger, kIndexPort, kOpsGet, FunctionClass::kStatus},
    {"status-counter-octet-tx", 0x0706, kValueInteger, kIndexPort, kOpsGet, FunctionClass::kStatus},
    {"clear-counter", 0x0707, kValueNone, kIndexNone, kOpsExecute, FunctionClass::kAction},
    {"loopdetect-count", 0x0801, kValueInteger, kIndexNone, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"loopdetect-time", 0x0802, kValueInteger, kIndexNone, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"loopdetect-linkdown", 0x0803, kValueInteger, kIndexNone, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"loopdetect-recovery-timer", 0x0804, kValueInteger, kIndexNone, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"loopdetect-port-use", 0x0805, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"status-loopdetect-port", 0x0806, kValueInteger, kIndexPort, kOpsGet, FunctionClass::kStatus},
    {"status-loopdetect-recovery-timer", 0x0807, kValueInteger, kIndexPort, kOpsNone, FunctionClass::kStatus},
    {"reset-loopdetect", 0x0808, kValueNone, kIndexNone, kOpsNone, FunctionClass::kAction},
    {"loopdetect-use-control-packet", 0x0809, kValueInteger, kIndexNone, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"poe-class", 0x0901, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
    {"status-poe-supply", 0x0902, kValueInteger, kIndexPort, kOpsGet, FunctionClass::kStatus},
    {"status-poe-detect-class", 0x0903, kValueInteger, kIndexPort, kOpsGet, FunctionClass::kStatus},
    {"status-poe-temperature", 0x0904, kValueInteger, kIndexNone, kOpsGet, FunctionClass::kStatus},
    {"status-poe-state", 0x0905, kValueInteger, kIndexPort, kOpsGet, FunctionClass::kStatus},
    {"restart-poe-supply", 0x0906, kValueNone, kIndexNone, kOpsExecute, FunctionClass::kAction},
    {"routebackup-backup-port", 0x0A01, kValueInteger, kIndexPort, kOpsGet | kOpsSet | kOpsSetDefault, FunctionClass::kSetting},
}};

}  // namespace

const FunctionEntry* FindFunctionByKeyword(std::string_view keyword) {
  if (keyword.empty()) return nullptr;
  for (const auto& entry : kCatalogue) {
    if (entry.keyword == keyword) return &entry;
  }
  return nullptr;
}

const FunctionEntry* FindFunctionById(std::uint16_t functionId) {
  for (const auto& entry : kCatalogue) {
    if (entry.functionId == functionId) return &entry;
  }
  return nullptr;
}

std::size_t FunctionEntryCount() { return kCatalogue.size(); }

std::span<const FunctionEntry> AllFunctions() { return kCatalogue; }

bool LookupFunctionTypes(std::uint16_t functionId, std::int32_t& valueType,
                         std::int32_t& indexType) {
  const FunctionEntry* entry = FindFunctionById(functionId);
  if (entry == nullptr) return false;
  valueType = entry->valueType;
  indexType = entry->indexType;
  return true;
}

}  // namespace ntr
