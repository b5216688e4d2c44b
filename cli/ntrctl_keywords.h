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

// One line per function the tool requests ("" = all of them, otherwise the
// one `keyword` names); false when no function has that keyword.
bool PrintKeywords(std::string_view keyword);

}  // namespace ntr::cli
