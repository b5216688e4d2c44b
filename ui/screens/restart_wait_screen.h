// Waiting for a switch that restarts (after a firmware update or a loaded
// configuration): one line and "閉じる". The button, or the moment the
// switch's settings have been read again, opens the back target. The switch
// comes back as another runtime object, so it is known here by its MAC; the
// screen itself belongs to no switch (the old object's leaving keeps it open).
#pragma once

#include "base/mac_address.h"
#include "ui/screens/result_screens.h"

namespace ntr {
class Application;
}

namespace ntr::ui {

inline constexpr char kRestartWaitText[] =
    "スイッチがトップページに再表示されるまで、数秒かかります。 ";

class RestartWaitScreen : public OutcomeScreen {
  Q_OBJECT

 public:
  // `text`, when given, comes before the waiting line.
  RestartWaitScreen(ScreenHost& screens, Application& app, const MacAddress& mac, QString title,
                    Target target, const QString& text = {});
  const MacAddress& mac() const { return mac_; }
  // The back target for the switch as it is now; the frame closes while it is away.
  void Cancel() override;

 private:
  void SettingsRead(const SwitchRef& sw);

  Application& app_;
  MacAddress mac_;
};

}  // namespace ntr::ui
