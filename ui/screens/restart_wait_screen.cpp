#include "ui/screens/restart_wait_screen.h"

#include "app/application.h"
#include "ui/forms/screen_host.h"

namespace ntr::ui {

RestartWaitScreen::RestartWaitScreen(ScreenHost& screens, Application& app, const MacAddress& mac,
                                     QString title, Target target, const QString& text)
    : OutcomeScreen(screens, nullptr, -1, std::move(title),
                    text.isEmpty() ? QStringList{QString::fromUtf8(kRestartWaitText)}
                                   : QStringList{text, QString::fromUtf8(kRestartWaitText)},
                    target, 4, QString::fromUtf8(kCloseText)),
      app_(app),
      mac_(mac) {
  connect(&screens, &ScreenHost::switchSettingsRead, this, &RestartWaitScreen::SettingsRead);
}

void RestartWaitScreen::Cancel() {
  SwitchView sw = app_.FindSwitchByMac(mac_);
  if (sw == nullptr) {
    navigator().CloseFrame();
    return;
  }
  navigator().Open(target_, sw.ref());
}

// Only the switch as it is now counts: a late notice of the object that left is dropped.
void RestartWaitScreen::SettingsRead(const SwitchRef& sw) {
  if (sw.mac != mac_ || navigator().Find(sw) == nullptr) return;
  navigator().Open(target_, sw);
}

}  // namespace ntr::ui
