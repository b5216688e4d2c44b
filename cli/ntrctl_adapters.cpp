#include "cli/ntrctl_adapters.h"

#include <string>

#include "cli/ntrctl_words.h"

namespace ntr::cli {

void PrintAdapters(std::FILE* out, const std::vector<AdapterInfo>& adapters, bool json,
                   const char* indent) {
  if (json) {
    std::fprintf(out, "{\"adapters\":[");
    for (std::size_t i = 0; i < adapters.size(); ++i) {
      const AdapterInfo& adapter = adapters[i];
      const bool address = adapter.addressText != kNoAddressText;
      std::fprintf(out, "%s{\"name\":%s,\"mac\":%s,\"address\":%s}", i ? "," : "",
                   JsonString(adapter.name).c_str(),
                   JsonString(FormatSwitchMac(adapter.mac)).c_str(),
                   address ? JsonString(adapter.addressText).c_str() : "null");
    }
    std::fprintf(out, "]}\n");
    return;
  }
  for (const AdapterInfo& adapter : adapters) {
    const bool address = adapter.addressText != kNoAddressText;
    std::fprintf(out, "%s%s  %s  %s\n", indent, adapter.name.c_str(),
                 FormatSwitchMac(adapter.mac).c_str(), address ? adapter.addressText.c_str() : "-");
  }
}

}  // namespace ntr::cli
