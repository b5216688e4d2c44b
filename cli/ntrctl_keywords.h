// `ntrctl keywords`: every function of the descriptor table with its indexes,
// its value words or range, and the models that have it.
#pragma once

#include <string>
#include <string_view>

#include "catalogue/function_descriptors.h"

namespace ntr::cli {

// The values a setting takes, in the file's words: "auto|10-hdx|...", a range
// "1..86400", "TEXT" or "PORT" (for a port number), "" for none.
std::string AllowedValuesText(const FunctionDescriptor& function);

// The function a command-line word names. A few keywords end in a blank on
// the wire and in the file ("status-fan-rpm "); typed without it, they are
// found all the same.
const FunctionDescriptor* FindCommandKeyword(std::string_view word);

// One line per function the tool requests ("" = all of them, otherwise the
// one `keyword` names); false when no function has that keyword.
bool PrintKeywords(std::string_view keyword);

}  // namespace ntr::cli
