#include "cli/ntrctl_list.h"

#include <cstdio>

#include "cli/ntrctl_errors.h"
#include "cli/ntrctl_options.h"
#include "cli/ntrctl_switch_argument.h"
#include "cli/ntrctl_words.h"
#include "config/config_reader.h"

namespace ntr::cli {
namespace {

// Listing only looks: rejected lines are not logged.
bool NoLog(std::string_view, std::string_view, std::string_view) { return true; }

}  // namespace

int ListKnownSwitches(const std::filesystem::path& configFile, bool json) {
  ConfigStore common;
  ConfigStore known;
  ConfigHost host{common, nullptr, &NoLog};
  std::error_code exists;
  if (std::filesystem::exists(configFile, exists)) {
    ErrorPair error;
    if (!ReadConfigText(host, known, configFile, ReadOptions{}, error)) {
      ReportError(FormatErrorMessage(error) + " (" + configFile.string() + ")");
      return kExitFailure;
    }
  }
  const auto records = known.StoredRecords();
  if (json) std::printf("{\"switches\":[");
  for (std::size_t i = 0; i < records.size(); ++i) {
    const SwitchRecord& r = *records[i];
    if (json) {
      std::printf("%s{\"mac\":%s,\"model\":%s,\"serial\":%s,\"name\":%s}", i ? "," : "",
                  JsonString(r.macText.get()).c_str(), JsonString(r.modelName.get()).c_str(),
                  JsonString(r.serialNumber.get()).c_str(), JsonString(KnownName(r)).c_str());
    } else {
      std::printf("%s %s serial=%s name=%s\n", r.macText.get().c_str(),
                  TerminalText(r.modelName.get()).c_str(),
                  TerminalText(r.serialNumber.get()).c_str(), TerminalText(KnownName(r)).c_str());
    }
  }
  if (json) std::printf("]}\n");
  return kExitOk;
}

}  // namespace ntr::cli
