// An operator that answers from a script and records what it was shown: for
// tests and for front ends that run without anybody at the screen.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "app/operator.h"

namespace ntr {

class ScriptedOperator : public Operator {
 public:
  struct Asked {
    AdoptionQuestion mode;
    MacAddress mac;
  };
  struct Shown {
    std::string text;
    MessageIcon icon;
  };
  struct Report {
    std::string macText;
    std::vector<std::string> commands;
    std::filesystem::path errorLogPath;
  };

  // The next question gets `firstButton`; `whileOpen` runs before the answer
  // is given, as the window's modal loop would run other work meanwhile.
  void QueueAnswer(bool firstButton, std::function<void()> whileOpen = {});
  // The next question about `mac` gets `firstButton`, before any queued for
  // whichever switch (the order of questions about several switches follows
  // the ends of their identity reads).
  void QueueAnswerFor(const MacAddress& mac, bool firstButton);
  // Runs while the next settings-failure report is shown, as the window's
  // modal loop would run other work meanwhile.
  void WhileNextReportShown(std::function<void()> whileOpen);
  // The answer when no queued one is left (the first button by default).
  void SetDefaultAnswer(bool firstButton);
  // The adapter index to choose, or nothing to cancel (the first by default).
  void SetAdapterChoice(std::optional<std::size_t> index);

  std::optional<std::size_t> Choose(const std::vector<AdapterInfo>& adapters) override;
  bool AskAdoption(AdoptionQuestion mode, const MacAddress& mac) override;
  void EndAdoptionQuestion() override;
  void ShowMessage(std::string_view text, MessageIcon icon) override;
  void ShowSettingFailures(std::string_view macText, const std::vector<std::string>& commands,
                           const std::filesystem::path& errorLogPath) override;

  std::vector<Asked> questions() const;
  std::vector<Shown> messages() const;
  std::vector<Report> reports() const;
  int adapterChoices() const;
  // A report was shown while another was still open.
  bool reportsOverlapped() const;

 private:
  struct Answer {
    bool firstButton;
    std::function<void()> whileOpen;
  };

  mutable std::mutex mutex_;
  std::deque<Answer> answers_;
  std::deque<std::pair<MacAddress, bool>> answersFor_;
  std::function<void()> whileReportShown_;
  int reportsOpen_ = 0;
  bool reportsOverlapped_ = false;
  bool defaultAnswer_ = true;
  std::optional<std::size_t> adapterChoice_ = 0;
  int adapterChoices_ = 0;
  std::vector<Asked> questions_;
  std::vector<Shown> messages_;
  std::vector<Report> reports_;
};

}  // namespace ntr
