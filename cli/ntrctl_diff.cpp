#include "cli/ntrctl_diff.h"

#include <cstdio>

#include "cli/ntrctl_errors.h"
#include "cli/ntrctl_options.h"
#include "cli/ntrctl_words.h"

namespace ntr::cli {

int PrintSettingsDiff(const ServiceResult& compared, const std::string& macText, bool json,
                      const std::string& file) {
  if (!compared.ok) {
    ReportError(ErrorText(compared));
    for (const auto& line : compared.details) ReportErrorDetail(line);
    return kExitUsage;
  }
  if (json) {
    std::printf("{\"mac\":%s,%s\"same\":%s,\"lines\":[", JsonString(macText).c_str(),
                file.empty() ? "" : ("\"file\":" + JsonString(file) + ",").c_str(),
                compared.details.empty() ? "true" : "false");
    for (std::size_t i = 0; i < compared.details.size(); ++i) {
      std::printf("%s%s", i ? "," : "", JsonString(compared.details[i]).c_str());
    }
    std::printf("]}\n");
  } else {
    // Like diff(1): nothing at all when nothing differs.
    if (!compared.details.empty()) {
      const std::string from = file.empty() ? "tool " + macText : file;
      std::printf("--- %s\n+++ switch %s\n", from.c_str(), macText.c_str());
    }
    for (const auto& line : compared.details) std::printf("%s\n", TerminalText(line).c_str());
  }
  return compared.details.empty() ? kExitOk : kExitFailure;
}

int RunDiff(SwitchService& service, ManagedSwitch& sw, const Options& options) {
  const std::string mac = FormatSwitchMac(sw.mac());
  if (options.file.empty())
    return PrintSettingsDiff(service.CompareWithSwitch(sw), mac, options.json);
  return PrintSettingsDiff(service.CompareWithFile(sw, options.file), mac, options.json,
                           options.file);
}

}  // namespace ntr::cli
