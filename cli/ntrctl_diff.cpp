#include "cli/ntrctl_diff.h"

#include <cstdio>

#include "cli/ntrctl_errors.h"
#include "cli/ntrctl_options.h"
#include "cli/ntrctl_words.h"

namespace ntr::cli {

int PrintSettingsDiff(const ServiceResult& compared, const std::string& macText, bool json) {
  if (!compared.ok) {
    ReportError(compared.text);
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
    // Like diff(1): nothing at all when nothing differs.
    if (!compared.details.empty()) std::printf("--- tool %s\n+++ switch %s\n", macText.c_str(), macText.c_str());
    for (const auto& line : compared.details) std::printf("%s\n", line.c_str());
  }
  return compared.details.empty() ? kExitOk : kExitFailure;
}

}  // namespace ntr::cli
