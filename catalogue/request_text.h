// The text form of a function request — the configuration file's grammar,
// e.g. "switch control function set port-speed 3 100-fdx".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/error.h"
#include "codec/pdu.h"

namespace ntr {

// "set", "set-default", "get", "execute", or "不明".
std::string OperationWord(std::int32_t operation);
// The word for a function value, or nothing when the keyword spells none for it.
std::optional<std::string> ValueWord(std::string_view keyword, std::int64_t value);
// Receive and transmit frame-counter type names, in the order of the choices.
std::string_view RxCounterTypeName(std::int32_t type);  // "" when the code has none
std::string_view TxCounterTypeName(std::int32_t type);

std::string IndexText(const FunctionRequest& request);
std::string ValueText(const FunctionRequest& request);
std::string ArgumentText(const FunctionRequest& request, std::string_view keyword);
// "switch control function <operation> <keyword> <arguments>".
std::string CommandText(const FunctionRequest& request, std::string_view keyword);

}  // namespace ntr
