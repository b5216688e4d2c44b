// The operator of the core, shown in the window: the adapter choice, the
// adoption question, message boxes and the settings-failure report, each
// modal over the main window (or on its own before the window exists).
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/operator.h"

namespace ntr::ui {

class AdoptionDialog;

class WindowOperator : public Operator {
 public:
  // The window the dialogs belong to; null before it exists.
  void SetParentWindow(QWidget* window) { parent_ = window; }

  std::optional<std::size_t> Choose(const std::vector<AdapterInfo>& adapters) override;
  bool AskAdoption(AdoptionQuestion mode, const MacAddress& mac) override;
  void EndAdoptionQuestion() override;
  void ShowMessage(std::string_view text, MessageIcon icon) override;
  void ShowSettingFailures(std::string_view macText, const std::vector<std::string>& commands,
                           const std::filesystem::path& errorLogPath) override;

 private:
  QPointer<QWidget> parent_;
  QPointer<AdoptionDialog> question_;
};

}  // namespace ntr::ui
