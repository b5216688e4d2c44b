#include "app/scripted_operator.h"

#include <algorithm>

namespace ntr {

void ScriptedOperator::QueueAnswer(bool firstButton, std::function<void()> whileOpen) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.push_back(Answer{firstButton, std::move(whileOpen)});
}

void ScriptedOperator::SetDefaultAnswer(bool firstButton) {
  std::lock_guard<std::mutex> lock(mutex_);
  defaultAnswer_ = firstButton;
}

void ScriptedOperator::SetAdapterChoice(std::optional<std::size_t> index) {
  std::lock_guard<std::mutex> lock(mutex_);
  adapterChoice_ = index;
}

std::optional<std::size_t> ScriptedOperator::Choose(const std::vector<AdapterInfo>& adapters) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++adapterChoices_;
  if (!adapterChoice_ || *adapterChoice_ >= adapters.size()) return std::nullopt;
  return adapterChoice_;
}

bool ScriptedOperator::AskAdoption(AdoptionQuestion mode, const MacAddress& mac) {
  Answer answer{true, {}};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    questions_.push_back(Asked{mode, mac});
    answer.firstButton = defaultAnswer_;
    const auto forMac = std::find_if(answersFor_.begin(), answersFor_.end(),
                                     [&](const auto& entry) { return entry.first == mac; });
    if (forMac != answersFor_.end()) {
      answer.firstButton = forMac->second;
      answersFor_.erase(forMac);
    } else if (!answers_.empty()) {
      answer = std::move(answers_.front());
      answers_.pop_front();
    }
  }
  if (answer.whileOpen) answer.whileOpen();  // outside the lock: it may show messages
  return answer.firstButton;
}

void ScriptedOperator::QueueAnswerFor(const MacAddress& mac, bool firstButton) {
  std::lock_guard<std::mutex> lock(mutex_);
  answersFor_.emplace_back(mac, firstButton);
}

void ScriptedOperator::EndAdoptionQuestion() {}  // a scripted question is never left open

void ScriptedOperator::ShowMessage(std::string_view text, MessageIcon icon) {
  std::lock_guard<std::mutex> lock(mutex_);
  messages_.push_back(Shown{std::string(text), icon});
}

void ScriptedOperator::ShowSettingFailures(std::string_view macText,
                                           const std::vector<std::string>& commands,
                                           const std::filesystem::path& errorLogPath) {
  std::function<void()> whileOpen;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.push_back(Report{std::string(macText), commands, errorLogPath});
    reportsOverlapped_ = reportsOverlapped_ || reportsOpen_ > 0;
    ++reportsOpen_;
    whileOpen.swap(whileReportShown_);
  }
  if (whileOpen) whileOpen();  // outside the lock: it may report again
  std::lock_guard<std::mutex> lock(mutex_);
  --reportsOpen_;
}

void ScriptedOperator::WhileNextReportShown(std::function<void()> whileOpen) {
  std::lock_guard<std::mutex> lock(mutex_);
  whileReportShown_ = std::move(whileOpen);
}

bool ScriptedOperator::reportsOverlapped() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reportsOverlapped_;
}

std::vector<ScriptedOperator::Asked> ScriptedOperator::questions() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return questions_;
}

std::vector<ScriptedOperator::Shown> ScriptedOperator::messages() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return messages_;
}

std::vector<ScriptedOperator::Report> ScriptedOperator::reports() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reports_;
}

int ScriptedOperator::adapterChoices() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return adapterChoices_;
}

}  // namespace ntr
