#include "cli/ntrctl_operator.h"

#include <cstdio>
#include <cstdlib>

namespace ntr::cli {

std::optional<std::size_t> CliOperator::Choose(const std::vector<AdapterInfo>& adapters) {
  if (!options_.adapter.empty()) {
    for (std::size_t i = 0; i < adapters.size(); ++i) {
      if (adapters[i].name == options_.adapter) return i;
    }
    std::fprintf(stderr, "ntrctl: no usable adapter named %s\n", options_.adapter.c_str());
  } else {
    std::fprintf(stderr, "ntrctl: several usable adapters; choose one with --adapter:\n");
  }
  for (const auto& adapter : adapters) {
    std::fprintf(stderr, "  %s  %s  %s\n", adapter.name.c_str(), adapter.macText.c_str(),
                 adapter.addressText.c_str());
  }
  return std::nullopt;
}

bool CliOperator::AskAdoption(AdoptionQuestion mode, const MacAddress& mac) {
  const AdoptionAnswer& answers = mode == AdoptionQuestion::kNewDevice ? options_.newDevice
                                  : mode == AdoptionQuestion::kSettingsChanged
                                      ? options_.settingsChanged
                                      : options_.factoryState;
  if (const auto answer = answers.For(mac)) return *answer;
  const AdoptionQuestionText text = AdoptionQuestionTexts(mode, mac);
  const char* option = mode == AdoptionQuestion::kNewDevice ? "--new [MAC=]factory|device"
                       : mode == AdoptionQuestion::kSettingsChanged ? "--changed [MAC=]tool|device"
                                                                    : "--factory [MAC=]yes|no";
  if (concerns_ && !concerns_(mac) && leaveAlone_) {
    // Another switch than the command's: it stays unmanaged, untouched.
    if (leftAlone_.insert(mac).second) {
      std::fprintf(stderr, "%s\nntrctl: left alone until answered with %s\n", text.message.c_str(),
                   option);
    }
    leaveAlone_(mac);
    return false;
  }
  if (mode == AdoptionQuestion::kSettingsChanged && describeChange_) describeChange_(mac);
  std::fprintf(stderr, "%s\n%s [%s / %s]\nntrctl: answer with %s\n", text.message.c_str(),
               text.question.c_str(), text.firstButton.c_str(), text.secondButton.c_str(), option);
  std::fflush(stdout);
  std::fflush(stderr);
  // Nothing has been changed yet: leave without letting any thread go on.
  std::_Exit(kExitQuestion);
}

void CliOperator::ShowMessage(std::string_view text, MessageIcon icon) {
  std::fprintf(stderr, "%s%.*s\n", icon == MessageIcon::kError ? "ntrctl: " : "",
               static_cast<int>(text.size()), text.data());
}

void CliOperator::ShowSettingFailures(std::string_view macText,
                                      const std::vector<std::string>& commands,
                                      const std::filesystem::path& errorLogPath) {
  std::fprintf(stderr, "設定失敗: %.*s\n", static_cast<int>(macText.size()), macText.data());
  for (const auto& command : commands) std::fprintf(stderr, "  %s\n", command.c_str());
  std::fprintf(stderr, "reasons in %s\n", errorLogPath.c_str());
}

}  // namespace ntr::cli
