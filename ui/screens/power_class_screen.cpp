#include "ui/screens/power_class_screen.h"

#include "catalogue/switch_model.h"
#include "ui/forms/screen_host.h"

namespace ntr::ui {

PowerClassScreen::PowerClassScreen(ScreenHost& screens, SwitchView sw, int port)
    : PortFormScreen(screens, sw, port) {
  const auto choices = PoeClassChoices();
  class_ = AddChoice(QStringLiteral("給電クラス"), choices,
                     working().ports[static_cast<std::size_t>(port)].poeClass);
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (!PoeClassOffered(port, choices[i].code)) class_->SetItemEnabled(static_cast<int>(i), false);
  }
  Arrange();
  MoveFocusOnFrom(FirstChoice());
}

QString PowerClassScreen::title() const { return QString::fromUtf8(kPowerClassTitle); }

std::vector<SettingChange> PowerClassScreen::Changes() {
  return {SettingChange::Set(Function::kPoeClass, FunctionIndex::Port(port()),
                             Chosen(class_, PoeClassChoices()))};
}

Screen::ApplyTexts PowerClassScreen::applyTexts() const {
  return {QString::fromUtf8(kPowerClassAppliedText), QString::fromUtf8(kPowerClassFailedText),
          Target::kPort, Target::kPort};
}

}  // namespace ntr::ui
