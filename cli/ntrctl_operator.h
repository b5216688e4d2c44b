// The operator of the headless front end: adapter choice by name, answers to
// the adoption questions from the command line, messages on standard error.
#pragma once

#include <functional>
#include <set>

#include "app/operator.h"
#include "cli/ntrctl_options.h"

namespace ntr::cli {

class CliOperator : public Operator {
 public:
  explicit CliOperator(const Options& options) : options_(options) {}

  std::optional<std::size_t> Choose(const std::vector<AdapterInfo>& adapters) override;
  // Answers from the options; a question no option answers is printed and
  // ends the process at once with status 3, before anything is changed.
  // A question about a switch that `concerns` says the command does not
  // need is not fatal: that switch is handed to `leaveAlone` (once told on
  // standard error) and the command goes on.
  bool AskAdoption(AdoptionQuestion mode, const MacAddress& mac) override;
  void SetCommandSwitch(std::function<bool(const MacAddress&)> concerns,
                        std::function<void(const MacAddress&)> leaveAlone) {
    concerns_ = std::move(concerns);
    leaveAlone_ = std::move(leaveAlone);
  }
  // Prints what differs before the "settings changed" question is printed.
  void SetChangeDescriber(std::function<void(const MacAddress&)> describe) {
    describeChange_ = std::move(describe);
  }
  void EndAdoptionQuestion() override {}
  void ShowMessage(std::string_view text, MessageIcon icon) override;
  void ShowSettingFailures(std::string_view macText, const std::vector<std::string>& commands,
                           const std::filesystem::path& errorLogPath) override;

 private:
  const Options& options_;
  std::function<bool(const MacAddress&)> concerns_;
  std::function<void(const MacAddress&)> leaveAlone_;
  std::function<void(const MacAddress&)> describeChange_;
  std::set<MacAddress> leftAlone_;
};

}  // namespace ntr::cli
