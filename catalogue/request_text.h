// The text form of a function request — the configuration file's grammar,
// e.g. "switch control function set port-speed 3 100-fdx" — and the report
// of a request that a switch refused during a bulk run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/error.h"
#include "protocol/pdu.h"

namespace ntr {

class L2SWITCHNODE;

// "set", "set-default", "get", "execute", or "不明".
std::string OperationWord(std::int32_t operation);
// The word for a function value, or nothing when the keyword spells none for it.
std::optional<std::string> ValueWord(std::string_view keyword, std::int64_t value);
// Receive and transmit frame-counter type names, in the order of the choices.
std::string_view RxCounterTypeName(std::int32_t type);  // "" when the code has none
std::string_view TxCounterTypeName(std::int32_t type);

std::string IndexText(const FUNCREQUEST& request);
std::string ValueText(const FUNCREQUEST& request);
std::string ArgumentText(const FUNCREQUEST& request, std::string_view keyword);
// "switch control function <operation> <keyword> <arguments>".
std::string CommandText(const FUNCREQUEST& request, std::string_view keyword);

// Called by a bulk run after a getter or setter failed with `error`. Outside
// a bulk run it does nothing and returns true. A refusal by the switch (codes
// 12 to 20) is written to the record's failure list and the error log, and a
// refused set puts the record's field back to its default; the result says
// whether that entry was written. Other failures are not logged (false).
bool ReportFailedRequest(L2SWITCHNODE& node, const ErrorPair& error);

}  // namespace ntr
