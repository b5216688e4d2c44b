#include "config/setting_lines.h"

#include <algorithm>
#include <limits>

#include "base/text_encoding.h"
#include "catalogue/function_descriptors.h"
#include "catalogue/switch_model.h"
#include "catalogue/switch_record.h"
#include "config/config_store.h"

namespace ntr {
namespace {

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

// The indexes of a line: its first one or two arguments.
bool ReadIndexes(const FunctionDescriptor& function, std::span<const std::string_view> args,
                 int ports, int counters, int& first, int& second) {
  const int count = IndexCount(function);
  first = second = 0;
  if (count >= 1) {
    const auto index = Index(args[0], FirstIndexLimit(function, ports));
    if (!index) return false;
    first = *index;
  }
  if (count >= 2) {
    const auto index = Index(args[1], SecondIndexLimit(function, ports, counters));
    if (!index) return false;
    second = *index;
  }
  return true;
}

// The value word or number of a line, as stored.
std::optional<std::int32_t> ReadValue(const FunctionDescriptor& function, std::string_view word,
                                      int first, int ports) {
  std::optional<std::int32_t> value;
  if (function.fileWords != nullptr) {
    value = function.fileWords->CodeOf(word);
  } else if (const auto number =
                 Number(word, std::int64_t{function.min} + function.wireOffset,
                        std::int64_t{MaxValue(function, ports)} + function.wireOffset)) {
    value = *number - function.wireOffset;
  }
  if (value && function.offered != nullptr && !function.offered(first, *value)) return std::nullopt;
  return value;
}

bool SystemName(SwitchRecord& r, std::string_view name) {
  if (!FollowsNameRule(name, true)) return false;
  r.systemName = std::string(CutToChars(name, kSystemNameChars));
  r.nameDefaulted = 1;
  return true;
}

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

std::string IndexRangeProblem(std::span<const std::string_view> words, int portCount,
                              int counterCount) {
  if (words.size() <= kKeywordWord) return "";
  const FunctionDescriptor* function = FindFunctionByKeyword(words[kKeywordWord]);
  if (function == nullptr) return "";
  const std::size_t count = static_cast<std::size_t>(IndexCount(*function));
  const auto args = words.subspan(kKeywordWord + 1);
  const int ports = std::clamp(portCount, 0, kMaxPorts);
  const int counters = std::clamp(counterCount, 0, kMaxCounters);
  const char* firstName = function->index == IndexKind::kFan            ? "fan"
                          : function->index == IndexKind::kRegistration ? "registration"
                                                                        : "port";
  const char* secondName = function->index == IndexKind::kPortRegistration ? "registration"
                           : function->index == IndexKind::kPortGroup      ? "group"
                                                                           : "counter";
  const int limits[2] = {FirstIndexLimit(*function, ports),
                         SecondIndexLimit(*function, ports, counters)};
  for (std::size_t i = 0; i < count && i < args.size(); ++i) {
    if (Index(args[i], limits[i])) continue;
    return std::string(i == 0 ? firstName : secondName) + " " + std::string(args[i]) +
           " is out of range (1.." + std::to_string(limits[i]) + ")";
  }
  return "";
}

std::optional<LineRejection> StoreSettingLine(SwitchRecord& block,
                                              std::span<const std::string_view> words,
                                              int portCount, int counterCount) {
  if (words.size() <= kKeywordWord) return LineRejection::kWordCount;
  const FunctionDescriptor* function = FindFunctionByKeyword(words[kKeywordWord]);
  if (function == nullptr || function->functionClass != FunctionClass::kSetting) {
    return LineRejection::kNoSuchFunction;
  }
  // A block of another port count than the 24-port model's lacks the QoS bandwidth.
  if (function->models == ModelScope::kQosBandwidth && portCount != kMaxPorts) {
    return LineRejection::kNoSuchFunction;
  }
  const std::size_t indexes = static_cast<std::size_t>(IndexCount(*function));
  if (words.size() < kKeywordWord + 1 + indexes + 1) return LineRejection::kWordCount;
  const auto args = words.subspan(kKeywordWord + 1);
  if (function->value == ValueKind::kText) {
    if (!SystemName(block, args[0])) return LineRejection::kBadParameter;
    return std::nullopt;
  }
  const int ports = std::clamp(portCount, 0, kMaxPorts);
  const int counters = std::clamp(counterCount, 0, kMaxCounters);
  int first = 0;
  int second = 0;
  const bool indexesRead = ReadIndexes(*function, args, ports, counters, first, second);
  const auto value = ReadValue(*function, args[indexes], first, ports);
  if (!indexesRead || !value) return LineRejection::kBadParameter;
  *function->field(block, first, second) = *value;
  // The file gave the destination: the model fix-up leaves it.
  if (function->index == IndexKind::kDestination) block.mirrorDefaulted = 1;
  return std::nullopt;
}

}  // namespace ntr
