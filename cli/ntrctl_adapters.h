// The usable network adapters as ntrctl prints them: name, MAC in the form
// switches are written (02:5C:71:00:00:01), numeric address.
#pragma once

#include <cstdio>
#include <vector>

#include "link/adapter_info.h"

namespace ntr::cli {

// One line an adapter ("NAME  MAC  ADDRESS", "-" for no address), each after
// `indent`; with `json` the object {"adapters":[{"name","mac","address"}]},
// the address null when there is none.
void PrintAdapters(std::FILE* out, const std::vector<AdapterInfo>& adapters, bool json,
                   const char* indent = "");

}  // namespace ntr::cli
