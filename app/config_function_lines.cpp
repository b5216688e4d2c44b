#include "app/config_function_lines.h"

#include <algorithm>
#include <array>
#include <limits>

#include "app/config_data.h"
#include "catalogue/request_text.h"
#include "catalogue/switch_data.h"
#include "catalogue/switch_model.h"
#include "protocol/text_encoding.h"

namespace ntr {
namespace {

struct WordCode {
  std::string_view word;
  std::int32_t code;
};

constexpr std::array<WordCode, 2> kOnOff{{{"on", 1}, {"off", 0}}};
constexpr std::array<WordCode, 2> kJoinLeave{{{"join", 1}, {"leave", 0}}};
constexpr std::array<WordCode, 2> kLed{{{"economy", 1}, {"normal", 0}}};
constexpr std::array<WordCode, 6> kPortSpeed{{{"auto", 1}, {"1000-fdx", 6}, {"100-fdx", 5},
                                              {"100-hdx", 4}, {"10-fdx", 3}, {"10-hdx", 2}}};
constexpr std::array<WordCode, 4> kSpeedUnit{{{"128k", 0}, {"1m", 1}, {"10m", 2}, {"32m", 3}}};
constexpr std::array<WordCode, 3> kLinkDown{{{"none", 0}, {"linkdown", 1}, {"linkdown-recovery", 2}}};
constexpr std::array<WordCode, 3> kVlanMode{{{"access", 0}, {"trunk", 1}, {"hybrid", 2}}};
constexpr std::array<WordCode, 3> kRemarkType{{{"off", 0}, {"af", 1}, {"cs", 2}}};
constexpr std::array<WordCode, 5> kRemarkClass{
    {{"off", 0}, {"class1", 1}, {"class2", 2}, {"class3", 3}, {"class4", 4}}};
constexpr std::array<WordCode, 3> kPoeClass{
    {{"none", kPoeClassNone}, {"class3", kPoeClass3}, {"class4", kPoeClass4}}};
// The code of a frame-counter type name (receive codes 0..25, transmit codes
// 0..17 and 26..28), from the one list of names.
std::optional<std::int32_t> CounterTypeCode(std::string_view word, bool transmit) {
  for (std::int32_t code = 0; code <= 28; ++code) {
    const std::string_view name = transmit ? TxCounterTypeName(code) : RxCounterTypeName(code);
    if (!name.empty() && name == word) return code;
  }
  return std::nullopt;
}

template <std::size_t N>
std::optional<std::int32_t> Lookup(const std::array<WordCode, N>& table, std::string_view word) {
  for (const WordCode& entry : table) {
    if (entry.word == word) return entry.code;
  }
  return std::nullopt;
}

std::optional<std::int32_t> Number(std::string_view text, std::int64_t low, std::int64_t high) {
  const auto value = ParseDecimal(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return static_cast<std::int32_t>(*value);
}

// A 1-based number of 1..count as a 0-based index.
std::optional<int> Index(std::string_view text, int count) {
  const auto number = Number(text, 1, count);
  if (!number) return std::nullopt;
  return *number - 1;
}

// One line being stored: the arguments after the keyword and the block's counts.
struct Line {
  tag_SWITCHDATA& r;
  std::span<const std::string_view> args;
  int ports;
  int counters;
};

using Store = bool (*)(Line&);

// Switch-wide value word.
template <S32 tag_SWITCHDATA::*Field, const auto& Table>
bool SwitchWord(Line& line) {
  const auto code = Lookup(Table, line.args[0]);
  if (!code) return false;
  line.r.*Field = *code;
  return true;
}

// Switch-wide number in low..high.
template <S32 tag_SWITCHDATA::*Field, std::int64_t Low, std::int64_t High>
bool SwitchNumber(Line& line) {
  const auto value = Number(line.args[0], Low, High);
  if (!value) return false;
  line.r.*Field = *value;
  return true;
}

// Port number, then a value word.
template <S32 PortSettings::*Field, const auto& Table>
bool PortWord(Line& line) {
  const auto port = Index(line.args[0], line.ports);
  const auto code = Lookup(Table, line.args[1]);
  if (!port || !code) return false;
  line.r.ports[*port].*Field = *code;
  return true;
}

// Port number, then a number in low..high stored with `offset` added.
template <S32 PortSettings::*Field, std::int64_t Low, std::int64_t High, std::int32_t Offset>
bool PortNumber(Line& line) {
  const auto port = Index(line.args[0], line.ports);
  const auto value = Number(line.args[1], Low, High);
  if (!port || !value) return false;
  line.r.ports[*port].*Field = *value + Offset;
  return true;
}

bool SystemName(Line& line) {
  if (!FollowsNameRule(line.args[0])) return false;
  line.r.systemName = std::string(CutToChars(line.args[0], kSystemNameChars));
  line.r.nameDefaulted = 1;
  return true;
}

bool MirroringDest(Line& line) {
  const auto port = Index(line.args[0], line.ports);
  if (!port) return false;
  line.r.mirrorDestination = *port;
  line.r.mirrorDefaulted = 1;
  return true;
}

bool RouteBackup(Line& line) {
  const auto port = Index(line.args[0], line.ports);
  const auto backup = Index(line.args[1], line.ports);
  if (!port || !backup) return false;
  line.r.ports[*port].backupPort = *backup;
  return true;
}

bool Poe(Line& line) {
  const auto port = Index(line.args[0], line.ports);
  const auto code = Lookup(kPoeClass, line.args[1]);
  if (!port || !code || !PoeClassOffered(*port, *code)) return false;
  line.r.ports[*port].poeClass = *code;
  return true;
}

bool VlanId(Line& line) {
  const auto registration = Number(line.args[0], 2, kVlanRegistrations);
  const auto id = Number(line.args[1], 1, kMaxVlanId);
  if (!registration || !id) return false;
  line.r.vlanIds[*registration - 1] = *id;
  return true;
}

bool VlanTrunk(Line& line) {
  const auto port = Index(line.args[0], line.ports);
  const auto registration = Index(line.args[1], kVlanRegistrations);
  const auto member = Lookup(kJoinLeave, line.args[2]);
  if (!port || !registration || !member) return false;
  line.r.ports[*port].trunk[*registration] = *member;
  return true;
}

bool VlanMultiple(Line& line) {
  const auto port = Index(line.args[0], line.ports);
  const auto group = Index(line.args[1], line.ports);
  const auto member = Lookup(kJoinLeave, line.args[2]);
  if (!port || !group || !member) return false;
  line.r.ports[*port].multiple[*group] = *member;
  return true;
}

template <bool Transmit>
bool CounterType(Line& line) {
  const auto port = Index(line.args[0], line.ports);
  const auto counter = Index(line.args[1], line.counters);
  const auto type = CounterTypeCode(line.args[2], Transmit);
  if (!port || !counter || !type) return false;
  auto& types = Transmit ? line.r.ports[*port].txCounterTypes : line.r.ports[*port].rxCounterTypes;
  types[*counter] = *type;
  return true;
}

struct SettingLine {
  std::string_view keyword;
  std::size_t words;  // the line's words at least, "switch" to the last argument
  bool only24Ports;
  Store store;
};

using R = tag_SWITCHDATA;
using P = PortSettings;

constexpr std::array<SettingLine, 39> kSettingLines{{
    {"system-name", 6, false, SystemName},
    {"energy-saving", 6, false, SwitchWord<&R::energySaving, kOnOff>},
    {"led-brightness", 6, false, SwitchWord<&R::ledBrightness, kLed>},
    {"macaddress-aging", 6, false, SwitchWord<&R::macAgeing, kOnOff>},
    {"macaddress-aging-timer", 6, false, SwitchNumber<&R::macAgeingTime, 10, 64800>},
    {"vlan-multiple-use", 6, false, SwitchWord<&R::multipleVlanUse, kOnOff>},
    {"qos-speed-unit", 6, true, SwitchWord<&R::qosSpeedUnit, kSpeedUnit>},
    {"mirroring-use", 6, false, SwitchWord<&R::mirroringUse, kOnOff>},
    {"mirroring-dest", 6, false, MirroringDest},
    {"loopdetect-count", 6, false, SwitchNumber<&R::loopCount, 3, 65535>},
    {"loopdetect-time", 6, false, SwitchNumber<&R::loopDetectionTime, 2, 60>},
    {"loopdetect-linkdown", 6, false, SwitchWord<&R::loopLinkDown, kLinkDown>},
    {"loopdetect-use-control-packet", 6, false, SwitchWord<&R::loopControlPackets, kOnOff>},
    {"loopdetect-recovery-timer", 6, false, SwitchNumber<&R::loopRecoveryTime, 1, 86400>},
    {"port-speed", 7, false, PortWord<&P::speed, kPortSpeed>},
    {"port-use", 7, false, PortWord<&P::use, kOnOff>},
    {"port-auto-crossover", 7, false, PortWord<&P::autoCrossover, kOnOff>},
    {"port-speed-downshift", 7, false, PortWord<&P::speedDownshift, kOnOff>},
    {"port-flow-control", 7, false, PortWord<&P::flowControl, kOnOff>},
    {"port-blocking-control-packet", 7, false, PortWord<&P::blockControlPackets, kOnOff>},
    {"port-blocking-data-packet", 7, false, PortWord<&P::blockDataPackets, kOnOff>},
    {"vlan-port-mode", 7, false, PortWord<&P::vlanMode, kVlanMode>},
    {"vlan-access", 7, false, PortNumber<&P::accessVlanEntry, 1, kVlanRegistrations, -1>},
    {"qos-dscp-remark-type", 7, false, PortWord<&P::dscpRemarkType, kRemarkType>},
    {"qos-dscp-remark-class", 7, false, PortWord<&P::dscpRemarkClass, kRemarkClass>},
    {"qos-policing-use", 7, true, PortWord<&P::policingUse, kOnOff>},
    {"qos-policing-speed", 7, true, PortNumber<&P::policingRate, 1, 31, 0>},
    {"qos-shaping-use", 7, true, PortWord<&P::shapingUse, kOnOff>},
    {"qos-shaping-speed", 7, true, PortNumber<&P::shapingRate, 1, 31, 0>},
    {"mirroring-src-rx", 7, false, PortWord<&P::mirrorRx, kOnOff>},
    {"mirroring-src-tx", 7, false, PortWord<&P::mirrorTx, kOnOff>},
    {"loopdetect-port-use", 7, false, PortWord<&P::loopDetect, kOnOff>},
    {"poe-class", 7, false, Poe},
    {"routebackup-backup-port", 7, false, RouteBackup},
    {"vlan-id", 7, false, VlanId},
    {"vlan-trunk", 8, false, VlanTrunk},
    {"vlan-multiple", 8, false, VlanMultiple},
    {"counter-frame-rx-type", 8, false, CounterType<false>},
    {"counter-frame-tx-type", 8, false, CounterType<true>},
}};

constexpr std::size_t kKeywordWord = 4;  // "switch control function set KEYWORD"

}  // namespace

std::string_view RejectionReason(LineRejection rejection) {
  switch (rejection) {
    case LineRejection::kNoSuchFunction:
      return "機能が存在しません";
    case LineRejection::kWordCount:
      return "パラメータの数が不適当です";
    case LineRejection::kBadParameter:
      return "パラメータが不正です";
  }
  return "パラメータが不正です";
}

std::optional<std::int64_t> ParseDecimal(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    if (value > (std::numeric_limits<std::int64_t>::max() - (c - '0')) / 10) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

std::optional<LineRejection> StoreSettingLine(tag_SWITCHDATA& block,
                                              std::span<const std::string_view> words,
                                              int portCount, int counterCount) {
  if (words.size() <= kKeywordWord) return LineRejection::kWordCount;
  const std::string_view keyword = words[kKeywordWord];
  for (const SettingLine& setting : kSettingLines) {
    if (setting.keyword != keyword) continue;
    if (setting.only24Ports && portCount != kMaxPorts) return LineRejection::kNoSuchFunction;
    if (words.size() < setting.words) return LineRejection::kWordCount;
    Line line{block, words.subspan(kKeywordWord + 1), std::clamp(portCount, 0, kMaxPorts),
              std::clamp(counterCount, 0, kMaxCounters)};
    if (!setting.store(line)) return LineRejection::kBadParameter;
    return std::nullopt;
  }
  return LineRejection::kNoSuchFunction;
}

}  // namespace ntr
