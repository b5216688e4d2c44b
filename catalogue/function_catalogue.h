// The function catalogue: the one table that joins function keywords to
// function IDs, value types and index types.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace ntr {

enum class FunctionClass { kIdentity, kSetting, kStatus, kAction };

// Operations the tool itself issues for a function.
enum FunctionOps : std::uint8_t {
  kOpsNone = 0,
  kOpsGet = 1 << 0,
  kOpsSet = 1 << 1,
  kOpsSetDefault = 1 << 2,
  kOpsExecute = 1 << 3,
};

struct FunctionEntry {
  std::string_view keyword;
  std::uint16_t functionId;
  std::int32_t valueType;  // ValueType
  std::int32_t indexType;  // IndexType
  std::uint8_t operations;  // FunctionOps
  FunctionClass functionClass;
};

inline constexpr std::size_t kFunctionCount = 65;

// Whole-text, case-sensitive match in table order; nullptr when none matches.
// Note the keyword of 0x010E, "status-fan-rpm ", ends in one blank.
const FunctionEntry* FindFunctionByKeyword(std::string_view keyword);
const FunctionEntry* FindFunctionById(std::uint16_t functionId);
std::size_t FunctionEntryCount();
std::span<const FunctionEntry> AllFunctions();

// The decoder's view of the catalogue (a FunctionTypeLookup).
bool LookupFunctionTypes(std::uint16_t functionId, std::int32_t& valueType,
                         std::int32_t& indexType);

}  // namespace ntr
