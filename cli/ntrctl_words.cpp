#include "cli/ntrctl_words.h"

#include <array>
#include <cstdio>

#include "catalogue/request_text.h"
#include "catalogue/switch_members.h"

namespace ntr::cli {
namespace {

template <std::size_t N>
std::string Word(const std::array<std::string_view, N>& words, std::int32_t value,
                 std::int32_t first = 0) {
  const std::int64_t at = static_cast<std::int64_t>(value) - first;
  return at >= 0 && at < static_cast<std::int64_t>(N) ? std::string(words[static_cast<std::size_t>(at)])
                                                     : std::to_string(value);
}

bool OneOf(std::string_view keyword, std::initializer_list<std::string_view> keywords) {
  for (auto k : keywords) {
    if (k == keyword) return true;
  }
  return false;
}

}  // namespace

std::string ConfigValueText(const tag_SWITCHDATA& record, std::string_view keyword, int first,
                            int second) {
  if (keyword == "system-name") return record.systemName.get();
  if (keyword == "model-name") return record.modelName.get();
  if (keyword == "serial-number") return record.serialNumber.get();
  if (keyword == "firmware-revision") return record.firmwareRevision.get();
  if (keyword == "boot-rom-version") return record.bootRomVersion.get();
  if (keyword == "system-macaddress") return record.macText.get();
  const MemberSpec* member = FindMember(keyword);
  if (member == nullptr) return "";
  tag_SWITCHDATA& readable = const_cast<tag_SWITCHDATA&>(record);  // fields are only read
  const PortStatus& status = record.portStatus[static_cast<std::size_t>(first)];
  if (keyword == "status-counter-frame-rx") return std::to_string(status.rxFrames[second].load());
  if (keyword == "status-counter-frame-tx") return std::to_string(status.txFrames[second].load());
  if (keyword == "status-counter-octet-rx") return std::to_string(status.rxOctets.load());
  if (keyword == "status-counter-octet-tx") return std::to_string(status.txOctets.load());
  if (member->field == nullptr) return "";
  const std::int32_t value = *member->field(readable, first, second);

  if (OneOf(keyword, {"energy-saving", "macaddress-aging", "vlan-multiple-use", "mirroring-use",
                      "loopdetect-use-control-packet", "port-use", "port-auto-crossover",
                      "port-speed-downshift", "port-flow-control", "port-blocking-control-packet",
                      "port-blocking-data-packet", "qos-policing-use", "qos-shaping-use",
                      "mirroring-src-rx", "mirroring-src-tx", "loopdetect-port-use"})) {
    return value == 1 ? "on" : "off";
  }
  if (keyword == "led-brightness") return value == 1 ? "economy" : "normal";
  if (keyword == "port-speed") {
    return Word<6>({"auto", "10-hdx", "10-fdx", "100-hdx", "100-fdx", "1000-fdx"}, value, 1);
  }
  if (keyword == "vlan-port-mode") return Word<3>({"access", "trunk", "hybrid"}, value);
  if (keyword == "qos-dscp-remark-type") return Word<3>({"off", "af", "cs"}, value);
  if (keyword == "qos-dscp-remark-class") {
    return Word<5>({"off", "class1", "class2", "class3", "class4"}, value);
  }
  if (keyword == "qos-speed-unit") return Word<4>({"128k", "1m", "10m", "32m"}, value);
  if (keyword == "loopdetect-linkdown") {
    return Word<3>({"none", "linkdown", "linkdown-recovery"}, value);
  }
  if (keyword == "vlan-trunk" || keyword == "vlan-multiple") return value == 1 ? "join" : "leave";
  if (keyword == "poe-class") {
    if (value == 0) return "none";
    if (value == 4) return "class3";
    if (value == 5) return "class4";
    return std::to_string(value);
  }
  if (keyword == "counter-frame-rx-type" || keyword == "counter-frame-tx-type") {
    const std::string_view name = keyword == "counter-frame-rx-type" ? RxCounterTypeName(value)
                                                                     : TxCounterTypeName(value);
    return name.empty() ? std::to_string(value) : std::string(name);
  }
  if (keyword == "routebackup-backup-port" && value < 0) return "none";
  // Stored one less than written: registration entries and port indexes.
  if (OneOf(keyword, {"vlan-access", "mirroring-dest", "routebackup-backup-port"})) {
    return std::to_string(value + 1);
  }
  return std::to_string(value);
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

}  // namespace ntr::cli
