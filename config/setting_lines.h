// The setting lines of the configuration file ("switch control function set
// KEYWORD ARGUMENTS"): which keywords there are, how many words each needs,
// which value words it accepts, and where the value goes in a record.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ntr {

struct SwitchRecord;

// Why a line of the file was rejected, in the order in which they are tested.
enum class LineRejection {
  kNoSuchFunction,  // "機能が存在しません"
  kWordCount,       // "パラメータの数が不適当です"
  kBadParameter,    // "パラメータが不正です"
};

std::string_view RejectionReason(LineRejection rejection);

// A decimal number: an optional sign and digits only, within 64 bits.
std::optional<std::int64_t> ParseDecimal(std::string_view text);

// Checks a setting line (`words` is the whole line, "switch" first) against
// the block's port and counter counts and stores its value in `block`;
// nothing when it was taken. `system-name` also marks the name as given,
// `mirroring-dest` the destination.
std::optional<LineRejection> StoreSettingLine(SwitchRecord& block,
                                              std::span<const std::string_view> words,
                                              int portCount, int counterCount);

// Which index of a setting line (`words` as above) lies outside the block's
// range, named with its range ("port 9 is out of range (1..8)"); "" when
// every index is a number in range or the line is no setting line.
std::string IndexRangeProblem(std::span<const std::string_view> words, int portCount,
                              int counterCount);

}  // namespace ntr
