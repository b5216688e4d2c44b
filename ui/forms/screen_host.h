// What a screen asks of the one that hosts it: another screen by its target,
// the result and message screens, the frame, and the switch it edits. The
// navigator implements it; screens know this interface, not the navigator,
// so that only the navigator knows the concrete screens.
#pragma once

#include <QObject>
#include <QRect>
#include <QStringList>

#include "app/switch_view.h"
#include "base/mac_address.h"
#include "base/notification.h"

namespace ntr {
class Application;
}

namespace ntr::ui {

class Screen;

// Where a result screen, a cancel or a double click leads.
enum class Target {
  kCloseFrame = -1,
  kAdministration,
  kAdminControl,
  kSaveConfiguration,
  kLoadConfiguration,
  kSwitchMain,
  kSwitchName,
  kFirmwareUpdate,
  kPowerSaving,
  kLoopDetection,
  kMirroring,
  kVlanIds,
  kPort,
  kPortBasic,
  kPortQos,
  kTaggedVlan,
  kMultipleVlan,
  kFrameCounter,
  kPowerClass,        // no result leads here; the port screen opens it
  kFirmwareProgress,  // the firmware update screen opens it once the update has started
};

class ScreenHost : public QObject {
  Q_OBJECT

 public:
  // Opens the screen of `target` for the switch (and port); false when none opened.
  virtual bool Open(Target target, const SwitchRef& sw, int port = -1) = 0;
  // The result screens: back to the settings display of `target`.
  virtual void ShowResult(const QString& title, const QStringList& lines, Target target,
                          const SwitchRef& sw, int port) = 0;
  virtual void ShowMessage(const QString& title, const QStringList& lines, Target target,
                           const SwitchRef& sw, int port) = 0;
  // The wait for the switch of `mac` to come back after a restart: `text`
  // (when given) before the waiting line, then `target` of the switch.
  virtual void ShowRestartWait(const QString& title, const QString& text, Target target,
                               const MacAddress& mac) = 0;
  // Closes every screen and the frame.
  virtual void CloseFrame() = 0;
  // Shows a screen its opener made, replacing the one shown.
  virtual void Show(Screen* screen) = 0;
  // A loaded file's settings are being written to the switch of `mac`.
  virtual void ApplyBegun(const MacAddress& mac) = 0;
  // The managed switch, or null when it went.
  virtual SwitchView Find(const SwitchRef& sw) const = 0;
  // Scrolls the frame so that `rect` of the current screen shows.
  virtual void KeepVisible(const QRect& rect) = 0;
  // The core, for the operator's actions (SwitchService, Application).
  virtual Application& app() = 0;

 signals:
  // kSwitchWorkFinished of a switch: its settings have been read again.
  void switchSettingsRead(ntr::SwitchRef sw);

 protected:
  ~ScreenHost() override = default;
};

}  // namespace ntr::ui
