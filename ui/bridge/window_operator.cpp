#include "ui/bridge/window_operator.h"

#include <QMessageBox>
#include <QStringList>

#include "ui/dialogs/adapter_dialog.h"
#include "ui/dialogs/adoption_dialog.h"
#include "ui/dialogs/setting_failures_dialog.h"
#include "ui/style/text.h"

namespace ntr::ui {

std::optional<std::size_t> WindowOperator::Choose(const std::vector<AdapterInfo>& adapters) {
  AdapterDialog dialog(adapters, parent_);
  return dialog.Choose();
}

bool WindowOperator::AskAdoption(AdoptionQuestion mode, const MacAddress& mac) {
  AdoptionDialog dialog(mode, mac, parent_);
  question_ = &dialog;
  const int answer = dialog.Ask();
  question_.clear();
  return answer == 6;  // the first button's answer (yes); the second gives 7
}

void WindowOperator::EndAdoptionQuestion() {
  if (question_) question_->EndAsFirstButton();
}

void WindowOperator::ShowMessage(std::string_view text, MessageIcon icon) {
  QMessageBox box(icon == MessageIcon::kError ? QMessageBox::Critical : QMessageBox::NoIcon,
                  ToQt(kApplicationTitle), ToQt(text), QMessageBox::Ok, parent_);
  box.exec();
}

void WindowOperator::ShowSettingFailures(std::string_view macText,
                                         const std::vector<std::string>& commands,
                                         const std::filesystem::path& errorLogPath) {
  QStringList reasons;
  for (const auto& command : commands) reasons << ToQt(command);
  SettingFailuresDialog dialog(ToQt(macText), reasons, ToQt(errorLogPath.string()), parent_);
  dialog.exec();
}

}  // namespace ntr::ui
