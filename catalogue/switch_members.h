// The member table of the getters and setters: for every function the tool
// requests, how its arguments are checked, how an answer becomes a record
// value, which record field it lives in, and which value is its default.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/switch_data.h"

namespace ntr {

// The arguments a member takes (0-based inside the tool, 1-based on the wire).
enum class MemberArgs {
  kNone,
  kPort,              // p
  kFan,               // f
  kRegistration,      // r
  kPortRegistration,  // p, r
  kPortGroup,         // p, g
  kPortCounter,       // p, k
  kDestination,       // d: the value itself is a port index
};

enum class MemberKind {
  kSetting,   // get and set, fingerprinted and saved
  kStatus,    // get only; skipped while the switch is busy; never saved
  kIdentity,  // get only, octets as text
  kAction,    // execute
};

struct MemberSpec {
  std::string_view keyword;
  MemberArgs args;
  MemberKind kind;
  // How a get answer's integer becomes the stored value; nullopt: ignored.
  std::optional<std::int32_t> (*fromWire)(std::int64_t wire);
  // The record field of the given indexes (null for members without one).
  S32* (*field)(tag_SWITCHDATA& record, int first, int second);
  // Whether a value is the member's default (a set then goes as set-default).
  bool (*isDefault)(const tag_SWITCHDATA& record, int first, int second, std::int32_t value);
  // The integer a set sends for a value.
  std::int64_t (*toWire)(std::int32_t value);
  // A value check of the setter: the range text for code 11, or nothing.
  std::optional<std::string> (*checkValue)(const tag_SWITCHDATA& record, std::int32_t value);
  // The index type of set requests when it differs from the catalogue's (-1: none).
  std::int32_t setIndexType;
};

// The member of a keyword, or null.
const MemberSpec* FindMember(std::string_view keyword);

// The default value of a setting (for the correction of a refused set):
// nullopt for members without a plain integer default.
std::optional<std::int32_t> DefaultValueOf(const MemberSpec& member, const tag_SWITCHDATA& record,
                                            int first, int second);

}  // namespace ntr
