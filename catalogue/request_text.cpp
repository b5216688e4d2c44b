#include "catalogue/request_text.h"

#include <array>
#include <cstdio>

#include "catalogue/function_catalogue.h"
#include "catalogue/l2_switch_node.h"
#include "catalogue/qos_speed.h"
#include "catalogue/switch_members.h"
#include "catalogue/switch_model.h"
#include "protocol/error_log.h"
#include "protocol/text_encoding.h"

namespace ntr {
namespace {

constexpr std::array<std::string_view, 26> kRxCounterTypes = {
    "packets", "broadcast-and-multicast-packets", "total-error-packets", "broadcast-packets",
    "multicast-packets", "packets-64-octets", "packets-65-to-127-octets",
    "packets-128-to-255-octets", "packets-256-to-511-octets", "packets-512-to-1023-octets",
    "packets-1024-to-1526-octets", "pause", "fifo-drops", "total-good-packets", "class-0",
    "class-1", "class-2", "class-3", "backward-drops", "classifier-drops", "crc-align-errors",
    "under-size-packets", "over-size-packets", "fragments", "jabbers", "control-packets",
};

// Keywords whose set text is the word alone, without the (empty) index text.
constexpr std::array<std::string_view, 6> kWordAlone = {
    "energy-saving", "led-brightness", "vlan-multiple-use",
    "mirroring-use", "qos-speed-unit", "loopdetect-linkdown",
};

constexpr std::array<std::string_view, 16> kOnOff = {
    "energy-saving", "port-use", "port-auto-crossover", "port-speed-downshift",
    "port-flow-control", "port-blocking-control-packet", "port-blocking-data-packet",
    "vlan-multiple-use", "qos-policing-use", "qos-shaping-use", "mirroring-use",
    "mirroring-src-rx", "mirroring-src-tx", "loopdetect-port-use",
    "loopdetect-use-control-packet", "poe-class",
};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& list, std::string_view keyword) {
  for (auto item : list) {
    if (item == keyword) return true;
  }
  return false;
}

template <std::size_t N>
std::optional<std::string> Pick(std::int64_t value, std::int64_t first,
                                const std::array<std::string_view, N>& words) {
  if (value < first || value >= first + static_cast<std::int64_t>(N)) return std::nullopt;
  return std::string(words[static_cast<std::size_t>(value - first)]);
}

std::string Trimmed(std::string text) {
  const auto begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  const auto end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

std::string Unknown(std::int32_t value) { return "不明(" + std::to_string(value) + ")"; }

}  // namespace

std::string OperationWord(std::int32_t operation) {
  switch (operation) {
    case kOpSet:
      return "set";
    case kOpSetDefault:
      return "set-default";
    case kOpGet:
      return "get";
    case kOpExecute:
      return "execute";
    default:
      return "不明";
  }
}

std::string_view RxCounterTypeName(std::int32_t type) {
  return type >= 0 && type < 26 ? kRxCounterTypes[static_cast<std::size_t>(type)] : "";
}

std::string_view TxCounterTypeName(std::int32_t type) {
  if (type >= 0 && type <= 17) return kRxCounterTypes[static_cast<std::size_t>(type)];
  if (type == 26) return "drops";
  if (type == 27) return "collisions";
  if (type == 28) return "cfi-drop";
  return "";
}

std::optional<std::string> ValueWord(std::string_view keyword, std::int64_t value) {
  if (Contains(kOnOff, keyword)) return Pick<2>(value, 0, {"off", "on"});
  if (keyword == "led-brightness") return Pick<2>(value, 0, {"normal", "economy"});
  if (keyword == "port-speed") {
    return Pick<5>(value, 1, {"auto", "10-hdx", "10-fdx", "100-hdx", "100-fdx"});
  }
  if (keyword == "vlan-port-mode") return Pick<3>(value, 0, {"access", "trunk", "hybrid"});
  if (keyword == "vlan-trunk" || keyword == "vlan-multiple") {
    return Pick<2>(value, 0, {"leave", "join"});
  }
  if (keyword == "qos-dscp-remark-type") return Pick<3>(value, 0, {"off", "af", "cs"});
  if (keyword == "qos-dscp-remark-class") {
    return Pick<5>(value, 0, {"off", "class1", "class2", "class3", "class4"});
  }
  if (keyword == "qos-speed-unit") return Pick<4>(value, 0, {"128k", "1m", "10m", "32m"});
  if (keyword == "loopdetect-linkdown") {
    return Pick<3>(value, 0, {"none", "linkdown", "linkdown-recovery"});
  }
  if (keyword == "counter-frame-rx-type" || keyword == "counter-frame-tx-type") {
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    const auto type = static_cast<std::int32_t>(value);
    const std::string_view name =
        keyword == "counter-frame-rx-type" ? RxCounterTypeName(type) : TxCounterTypeName(type);
    if (name.empty()) return std::nullopt;
    return std::string(name);
  }
  return std::nullopt;
}

std::string IndexText(const FUNCREQUEST& request) {
  switch (request.indexType) {
    case kIndexNone:
      return "";
    case kIndexPort:
    case kIndexInteger3:
    case kIndexRegistration:
      return std::to_string(request.firstIndex);
    case kIndexMac:
      return FormatSwitchMac(request.indexMac);
    case kIndexPair5:
    case kIndexPortGroup:
    case kIndexPortCounter:
    case kIndexPortRegistration:
      return std::to_string(request.firstIndex) + " " + std::to_string(request.secondIndex);
    default:
      return Unknown(request.indexType);
  }
}

std::string ValueText(const FUNCREQUEST& request) {
  switch (request.valueType) {
    case kValueInteger:
      // The text form prints the value as a 32-bit number.
      return std::to_string(static_cast<std::int32_t>(request.intValue));
    case kValueOctets:
      return Cp932ToUtf8Lossy(request.octets);
    case kValueNone:
      return "";
    default:
      return Unknown(request.valueType);
  }
}

std::string ArgumentText(const FUNCREQUEST& request, std::string_view keyword) {
  if (request.operation == kOpSet && request.valueType == kValueInteger) {
    if (const auto word = ValueWord(keyword, request.intValue)) {
      if (Contains(kWordAlone, keyword)) return *word;
      return IndexText(request) + " " + *word;
    }
  }
  return Trimmed(IndexText(request) + " " + ValueText(request));
}

std::string CommandText(const FUNCREQUEST& request, std::string_view keyword) {
  return "switch control function " + OperationWord(request.operation) + " " +
         std::string(keyword) + " " + ArgumentText(request, keyword);
}

namespace {

// Puts the record's field of a refused set back to its default.
void RestoreDefault(tag_SWITCHDATA& record, std::string_view keyword, const FUNCREQUEST& request) {
  const int first = request.firstIndex - 1;
  const int second = request.secondIndex - 1;
  if (keyword == "system-name") {
    record.systemName = record.DefaultSystemName();
    return;
  }
  if (keyword == "mirroring-dest") {
    const std::string model = record.modelName.get();
    record.mirrorDestination = model == kModelName8G || model == kModelName8PoE ? 7 : 23;
    return;
  }
  const MemberSpec* member = FindMember(keyword);
  if (member == nullptr || member->field == nullptr) return;
  const auto in = [](int value, int limit) { return value >= 0 && value < limit; };
  bool valid = true;
  switch (member->args) {
    case MemberArgs::kNone:
    case MemberArgs::kDestination:
      break;
    case MemberArgs::kPort:
      valid = in(first, kMaxPorts);
      break;
    case MemberArgs::kFan:
      valid = in(first, kFanCount);
      break;
    case MemberArgs::kRegistration:
      valid = in(first, kVlanRegistrations);
      break;
    case MemberArgs::kPortRegistration:
      valid = in(first, kMaxPorts) && in(second, kVlanRegistrations);
      break;
    case MemberArgs::kPortGroup:
      valid = in(first, kMaxPorts) && in(second, kMaxPorts);
      break;
    case MemberArgs::kPortCounter:
      valid = in(first, kMaxPorts) && in(second, kMaxCounters);
      break;
  }
  if (!valid) return;  // the request named an index the record does not hold
  if (keyword == "qos-policing-speed" || keyword == "qos-shaping-speed") {
    PortSettings& port = record.ports[first];
    const bool policing = keyword == "qos-policing-speed";
    (policing ? port.policingSelection : port.shapingSelection) = 2;
    (policing ? port.policingRate : port.shapingRate) = 1;
    return;
  }
  if (const auto value = DefaultValueOf(*member, record, first, second)) {
    *member->field(record, first, second) = *value;
  }
}

}  // namespace

bool ReportFailedRequest(L2SWITCHNODE& node, const ErrorPair& error) {
  tag_SWITCHDATA& record = node.record();
  if (record.switchState != kStateBulk) return true;
  const FUNCREQUEST request = node.transactor().LastRequest();
  const bool refused = error.code >= kErrSwitchBusy && error.code <= kErrFatal;
  std::string command;
  bool logged = false;
  if (error.code == kErrFunctionInfo) {
    command = error.detail;
  } else if (const FunctionEntry* entry = FindFunctionById(request.functionId); entry == nullptr) {
    char text[32];
    std::snprintf(text, sizeof text, "不明(%04x)", request.functionId);
    command = text;
  } else {
    const std::string keyword(entry->keyword);
    // The fan speed has no text form of its own.
    command = keyword == "status-fan-rpm "
                  ? "switch control function " + OperationWord(request.operation) + " " +
                        keyword + " 不明なコマンド(" + keyword + ")"
                  : CommandText(request, keyword);
    logged = refused;
    if (refused && (request.operation == kOpSet || request.operation == kOpSetDefault)) {
      RestoreDefault(record, keyword, request);
    }
  }
  const std::string message = FormatErrorMessage(error);
  bool written = false;
  if (logged) {
    record.AddFailure(command);
    written = AppendErrorLog(record.macText.get(), command, message);
  }
  node.lastCommandText = command;
  node.lastMessageText = message;
  return written;
}

}  // namespace ntr
