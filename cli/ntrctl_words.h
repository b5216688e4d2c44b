// A stored value in the words of the configuration file, JSON text, and
// text for a terminal.
#pragma once

#include <string>
#include <string_view>

#include "catalogue/function_descriptors.h"
#include "catalogue/switch_record.h"

namespace ntr::cli {

// The value of `function` at the 0-based indexes, as the configuration file
// spells it ("100-fdx", "join", a port number, a name); "" for a function the
// tool never requests.
std::string ConfigValueText(const SwitchRecord& record, Function function, int first, int second);

// A stored value of `function` as the configuration file spells it.
std::string StoredValueText(const FunctionDescriptor& function, std::int32_t value);

// An action's end: its message, or with --json {"ok":true,"message":TEXT}.
void PrintDone(bool json, std::string_view text);

// `text` as a JSON string literal.
std::string JsonString(std::string_view text);

// `text` safe to print on a terminal: a text from a switch cannot move the
// cursor, recolour the screen or start a line of its own. Control characters
// are written as escapes (ESC "\e", CR "\r", LF "\n", TAB "\t", the rest
// "\xHH"), C1 controls as "\u00HH", bytes that are no UTF-8 as "\xHH".
std::string TerminalText(std::string_view text);

}  // namespace ntr::cli
