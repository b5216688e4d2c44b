#include "catalogue/value_words.h"

#include <array>

namespace ntr {

std::optional<std::int32_t> ValueWords::CodeOf(std::string_view word) const {
  for (const WordCode& entry : words) {
    if (entry.word == word) return entry.code;
  }
  return std::nullopt;
}

std::optional<std::string_view> ValueWords::WordOf(std::int32_t code) const {
  if (twoState) code = code == 1 ? 1 : 0;
  for (const WordCode& entry : words) {
    if (entry.code == code) return entry.word;
  }
  return std::nullopt;
}

namespace {

constexpr std::array<WordCode, 2> kOnOff{{{"off", 0}, {"on", 1}}};
constexpr std::array<WordCode, 2> kJoinLeave{{{"leave", 0}, {"join", 1}}};
constexpr std::array<WordCode, 2> kBrightness{{{"normal", 0}, {"economy", 1}}};
constexpr std::array<WordCode, 6> kPortSpeed{
    {{"auto", 1}, {"10-hdx", 2}, {"10-fdx", 3}, {"100-hdx", 4}, {"100-fdx", 5}, {"1000-fdx", 6}}};
constexpr std::array<WordCode, 4> kSpeedUnit{{{"128k", 0}, {"1m", 1}, {"10m", 2}, {"32m", 3}}};
constexpr std::array<WordCode, 3> kLinkDown{
    {{kNoneWord, 0}, {"linkdown", 1}, {"linkdown-recovery", 2}}};
constexpr std::array<WordCode, 3> kVlanMode{{{"access", 0}, {"trunk", 1}, {"hybrid", 2}}};
constexpr std::array<WordCode, 3> kRemarkType{{{"off", 0}, {"af", 1}, {"cs", 2}}};
constexpr std::array<WordCode, 5> kRemarkClass{
    {{"off", 0}, {"class1", 1}, {"class2", 2}, {"class3", 3}, {"class4", 4}}};
// PoE codes: 0 no power, 4 class 3, 5 class 4 (see catalogue/switch_model.h).
constexpr std::array<WordCode, 3> kPoeClass{{{kNoneWord, 0}, {"class3", 4}, {"class4", 5}}};

// Frame-counter types: receive 0..25; transmit shares 0..17 and adds 26..28.
constexpr std::array<WordCode, 26> kRxCounterType{{
    {"packets", 0},
    {"broadcast-and-multicast-packets", 1},
    {"total-error-packets", 2},
    {"broadcast-packets", 3},
    {"multicast-packets", 4},
    {"packets-64-octets", 5},
    {"packets-65-to-127-octets", 6},
    {"packets-128-to-255-octets", 7},
    {"packets-256-to-511-octets", 8},
    {"packets-512-to-1023-octets", 9},
    {"packets-1024-to-1526-octets", 10},
    {"pause", 11},
    {"fifo-drops", 12},
    {"total-good-packets", 13},
    {"class-0", 14},
    {"class-1", 15},
    {"class-2", 16},
    {"class-3", 17},
    {"backward-drops", 18},
    {"classifier-drops", 19},
    {"crc-align-errors", 20},
    {"under-size-packets", 21},
    {"over-size-packets", 22},
    {"fragments", 23},
    {"jabbers", 24},
    {"control-packets", 25},
}};
constexpr std::array<WordCode, 21> kTxCounterType = [] {
  std::array<WordCode, 21> words{};
  for (std::size_t i = 0; i < 18; ++i) words[i] = kRxCounterType[i];
  words[18] = {"drops", 26};
  words[19] = {"collisions", 27};
  words[20] = {"cfi-drop", 28};
  return words;
}();

constexpr std::array<WordCode, 5> kRequestPortSpeed{
    {{"auto", 1}, {"10-hdx", 2}, {"10-fdx", 3}, {"100-hdx", 4}, {"100-fdx", 5}}};

}  // namespace

constinit const ValueWords kOnOffWords{kOnOff, true};
constinit const ValueWords kJoinLeaveWords{kJoinLeave, true};
constinit const ValueWords kBrightnessWords{kBrightness, true};
constinit const ValueWords kPortSpeedWords{kPortSpeed};
constinit const ValueWords kSpeedUnitWords{kSpeedUnit};
constinit const ValueWords kLinkDownWords{kLinkDown};
constinit const ValueWords kVlanModeWords{kVlanMode};
constinit const ValueWords kRemarkTypeWords{kRemarkType};
constinit const ValueWords kRemarkClassWords{kRemarkClass};
constinit const ValueWords kPoeClassWords{kPoeClass};
constinit const ValueWords kRxCounterTypeWords{kRxCounterType};
constinit const ValueWords kTxCounterTypeWords{kTxCounterType};
constinit const ValueWords kRequestPortSpeedWords{kRequestPortSpeed};

}  // namespace ntr
