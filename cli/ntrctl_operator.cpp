#include "cli/ntrctl_operator.h"

#include <cstdio>
#include <cstdlib>

#include "cli/ntrctl_adapters.h"
#include "cli/ntrctl_errors.h"

namespace ntr::cli {

std::optional<std::size_t> CliOperator::Choose(const std::vector<AdapterInfo>& adapters) {
  if (!options_.adapter.empty()) {
    for (std::size_t i = 0; i < adapters.size(); ++i) {
      if (adapters[i].name == options_.adapter) return i;
    }
    ReportError("no usable adapter named " + options_.adapter);
  } else {
    ReportError("several usable adapters; choose one with --adapter:");
  }
  PrintAdapters(stderr, adapters, false, "  ");
  return std::nullopt;
}

bool CliOperator::AskAdoption(AdoptionQuestion mode, const MacAddress& mac) {
  const AdoptionAnswer& answers = mode == AdoptionQuestion::kNewDevice ? options_.newDevice
                                  : mode == AdoptionQuestion::kSettingsChanged
                                      ? options_.settingsChanged
                                      : options_.factoryState;
  if (const auto answer = answers.For(mac)) return *answer;
  const AdoptionQuestionText text = AdoptionQuestionTexts(mode, mac);
  const char* option = mode == AdoptionQuestion::kNewDevice         ? "--new [MAC=]factory|device"
                       : mode == AdoptionQuestion::kSettingsChanged ? "--changed [MAC=]tool|device"
                                                                    : "--factory [MAC=]yes|no";
  if (concerns_ && !concerns_(mac) && leaveAlone_) {
    // Another switch than the command's: it stays unmanaged, untouched.
    if (leftAlone_.insert(mac).second && !options_.quiet) {
      std::fprintf(stderr, "%s\nntrctl: left alone until answered with %s\n", text.message.c_str(),
                   option);
    }
    leaveAlone_(mac);
    return false;
  }
  if (mode == AdoptionQuestion::kSettingsChanged && describeChange_) describeChange_(mac);
  std::fprintf(stderr, "%s\n%s [%s / %s]\n", text.message.c_str(), text.question.c_str(),
               text.firstButton.c_str(), text.secondButton.c_str());
  KeepError(text.message);
  KeepError(text.question);
  ReportError(std::string("answer with ") + option);
  // Nothing has been changed yet: leave without letting any thread go on.
  std::_Exit(EndRun(kExitQuestion));
}

void CliOperator::ShowMessage(std::string_view text, MessageIcon icon) {
  if (icon == MessageIcon::kError) {
    ReportError(text);
    return;
  }
  if (options_.quiet) return;
  std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

void CliOperator::ShowSettingFailures(std::string_view macText,
                                      const std::vector<std::string>& commands,
                                      const std::filesystem::path& errorLogPath) {
  std::fprintf(stderr, "設定失敗: %.*s\n", static_cast<int>(macText.size()), macText.data());
  KeepError("設定失敗: " + std::string(macText));
  for (const auto& command : commands) ReportErrorDetail(command);
  std::fprintf(stderr, "reasons in %s\n", errorLogPath.c_str());
}

}  // namespace ntr::cli
