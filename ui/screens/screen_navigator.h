// The one place that opens and closes screens: the back targets, the list of
// open screens (at most one besides the newest), the setting frame that
// hosts the newest, the gate while the window is busy, the page's file
// buttons while a hub screen is open, and the routing of apply results.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <list>
#include <set>

#include "app/application.h"
#include "base/notification.h"
#include "ui/forms/screen.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/setting_frame.h"

namespace ntr::ui {

class TopPanel;

class ScreenNavigator : public ScreenHost {
  Q_OBJECT

 public:
  // `uiEnabled` false: every request to open a screen is ignored (a modal
  // read runs). `frameEdges` tells the view the frame's right and bottom edge
  // in page coordinates ((0, 0) when it closes).
  ScreenNavigator(Application& app, TopPanel* page, std::function<bool()> uiEnabled,
                  std::function<void(QPoint)> frameEdges);

  // Opens the screen of `target` for the switch (and port); false when none
  // opened. A target without a screen closes the frame, as does a switch
  // that has gone (the administration and control settings screens belong
  // to no switch and take none).
  bool Open(Target target, const SwitchRef& sw, int port = -1) override;
  // The result screens: back to the settings display of `target`.
  void ShowResult(const QString& title, const QStringList& lines, Target target,
                  const SwitchRef& sw, int port) override;
  void ShowMessage(const QString& title, const QStringList& lines, Target target,
                   const SwitchRef& sw, int port) override;
  void ShowRestartWait(const QString& title, const QString& text, Target target,
                       const MacAddress& mac) override;
  // Closes every screen and the frame.
  void CloseFrame() override;
  // Shows a screen its opener made (a confirmation carrying the choice made
  // before it), replacing the one shown.
  void Show(Screen* screen) override;

  // kApplyResult: to the open screen whose switch and job it names, else dropped.
  void ApplyResult(const Notice& notice);
  // An open screen belongs to the switch.
  bool ShowsSwitch(const SwitchRef& sw) const;
  // A switch leaves management: the frame closes when it shows that switch.
  void SwitchRemoving(const SwitchRef& sw);
  // kFirmwareFinished: to the progress screen of the switch; without one the
  // switch's service still hears the end (the switch restarts or is idle again).
  void FirmwareFinished(const Notice& notice);
  // kSwitchWorkFinished of a switch: its settings have been read again. An
  // apply of a loaded file on it ends here (see ApplyBegun).
  void SwitchSettingsRead(const SwitchRef& sw);
  // A loaded file's settings are being written to the switch of `mac`: its
  // end is taken when the switch is synchronised and ready again.
  void ApplyBegun(const MacAddress& mac) override;
  bool applyPending(const MacAddress& mac) const { return applying_.count(mac) != 0; }

  // The managed switch, or null when it went.
  SwitchView Find(const SwitchRef& sw) const override;
  Screen* current() const;
  // A screen's apply job or a firmware update runs (the window refuses to
  // close meanwhile, and no other screen opens).
  bool applying() const;
  std::size_t openScreens() const { return screens_.size(); }
  SettingFrame* frame() const { return frame_; }
  // Scrolls the frame so that `rect` of the current screen shows.
  void KeepVisible(const QRect& rect) override;
  Application& app() override { return app_; }

 private:
  bool Allowed() const;
  bool FirmwareRunning() const;
  Screen* Create(Target target, SwitchView sw, int port);
  void CloseScreen(Screen* screen);

  Application& app_;
  QPointer<TopPanel> page_;
  std::function<bool()> uiEnabled_;
  QPointer<SettingFrame> frame_;
  std::list<QPointer<Screen>> screens_;  // newest first
  int nextId_ = ids::kFirstScreen - 1;
  std::set<MacAddress> applying_;  // switches whose loaded file is being applied
};

}  // namespace ntr::ui
