#include "cli/ntrctl_diff.h"

#include <cstdio>

#include "cli/ntrctl_options.h"
#include "cli/ntrctl_words.h"

namespace ntr::cli {

int PrintSettingsDiff(const ServiceResult& compared, const std::string& macText, bool json) {
  if (!compared.ok) {
    std::fprintf(stderr, "ntrctl: %s\n", compared.text.c_str());
    return kExitUsage;
  }
  if (json) {
    std::printf("{\"mac\":%s,\"same\":%s,\"lines\":[", JsonString(macText).c_str(),
                compared.details.empty() ? "true" : "false");
    for (std::size_t i = 0; i < compared.details.size(); ++i) {
      std::printf("%s%s", i ? "," : "", JsonString(compared.details[i]).c_str());
    }
    std::printf("]}\n");
  } else {
    std::printf("--- tool %s\n+++ switch %s\n", macText.c_str(), macText.c_str());
    for (const auto& line : compared.details) std::printf("%s\n", TerminalText(line).c_str());
  }
  return compared.details.empty() ? kExitOk : kExitFailure;
}

}  // namespace ntr::cli
