#include "ui/screens/screen_navigator.h"

#include <QMessageBox>

#include "app/operator.h"
#include "app/switch_service.h"
#include "app/switch_view.h"
#include "ui/screens/admin_control_screen.h"
#include "ui/screens/administration_screen.h"
#include "ui/screens/firmware_progress_screen.h"
#include "ui/screens/firmware_update_screen.h"
#include "ui/screens/frame_counter_screen.h"
#include "ui/screens/load_settings_screen.h"
#include "ui/screens/loop_detection_screen.h"
#include "ui/screens/mirroring_screen.h"
#include "ui/screens/multiple_vlan_screen.h"
#include "ui/screens/port_basic_screen.h"
#include "ui/screens/port_qos_screen.h"
#include "ui/screens/port_screen.h"
#include "ui/screens/power_class_screen.h"
#include "ui/screens/power_saving_screen.h"
#include "ui/screens/restart_wait_screen.h"
#include "ui/screens/result_screens.h"
#include "ui/screens/save_settings_screen.h"
#include "ui/screens/switch_main_screen.h"
#include "ui/screens/switch_name_screen.h"
#include "ui/screens/tagged_vlan_screen.h"
#include "ui/screens/vlan_id_screen.h"
#include "ui/style/text.h"
#include "ui/top_page/top_panel.h"

namespace ntr::ui {

namespace {

// A port screen needs a port of the switch.
bool ValidPort(SwitchView sw, int port) {
  return port >= 0 && port < std::min<int>(sw.record().portCount, kMaxPorts);
}

// The screens of the tool itself, not of a switch.
bool ForNoSwitch(Target target) {
  return target == Target::kAdministration || target == Target::kAdminControl;
}

}  // namespace

ScreenNavigator::ScreenNavigator(Application& app, TopPanel* page, std::function<bool()> uiEnabled,
                                 std::function<void(QPoint)> frameEdges)
    : app_(app), page_(page), uiEnabled_(std::move(uiEnabled)) {
  frame_ = new SettingFrame(page, std::move(frameEdges));
  frame_->SetCloseHandler([this] { CloseFrame(); });
}

SwitchView ScreenNavigator::Find(const SwitchRef& sw) const { return app_.FindSwitch(sw); }

Screen* ScreenNavigator::current() const {
  return screens_.empty() ? nullptr : screens_.front().data();
}

// Nothing opens while a modal read runs or a screen's apply job runs.
bool ScreenNavigator::Allowed() const {
  if (uiEnabled_ && !uiEnabled_()) return false;
  for (const QPointer<Screen>& screen : screens_) {
    if (screen != nullptr && screen->job() != 0) return false;
  }
  return !FirmwareRunning();
}

// The table of back targets: the screen each target opens.
Screen* ScreenNavigator::Create(Target target, SwitchView sw, int port) {
  switch (target) {
    case Target::kSwitchMain:
      return new SwitchMainScreen(*this, app_, sw);
    case Target::kSwitchName:
      return new SwitchNameScreen(*this, sw);
    case Target::kPort:
      return ValidPort(sw, port) ? new PortScreen(*this, app_, sw, port) : nullptr;
    case Target::kPortBasic:
      return ValidPort(sw, port) ? new PortBasicScreen(*this, sw, port) : nullptr;
    case Target::kPortQos:
      return ValidPort(sw, port) ? new PortQosScreen(*this, sw, port) : nullptr;
    case Target::kFrameCounter:
      return ValidPort(sw, port) ? new FrameCounterScreen(*this, sw, port) : nullptr;
    case Target::kPowerClass:
      return ValidPort(sw, port) ? new PowerClassScreen(*this, sw, port) : nullptr;
    case Target::kPowerSaving:
      return new PowerSavingScreen(*this, sw);
    case Target::kLoopDetection:
      return new LoopDetectionScreen(*this, sw);
    case Target::kMirroring:
      return new MirroringScreen(*this, sw);
    case Target::kMultipleVlan:
      return ValidPort(sw, port) ? new MultipleVlanScreen(*this, sw, port) : nullptr;
    case Target::kFirmwareUpdate:
      return new FirmwareUpdateScreen(*this, app_, sw);
    case Target::kFirmwareProgress:
      return new FirmwareProgressScreen(*this, app_, sw);
    case Target::kTaggedVlan:
      return ValidPort(sw, port) ? new TaggedVlanScreen(*this, app_, sw, port) : nullptr;
    case Target::kVlanIds:
      return new VlanIdScreen(*this, app_, sw);
    case Target::kAdministration:
      return new AdministrationScreen(*this, app_);
    case Target::kAdminControl:
      return new AdminControlScreen(*this, app_);
    case Target::kSaveConfiguration:
      return new SaveSettingsScreen(*this, app_, sw);
    case Target::kLoadConfiguration:
      return new LoadSettingsScreen(*this, app_, sw);
    default:
      return nullptr;
  }
}

bool ScreenNavigator::Open(Target target, const SwitchRef& ref, int port) {
  // The progress screen follows the start of the update it shows.
  if (target != Target::kFirmwareProgress && !Allowed()) return false;
  SwitchView sw = Find(ref);
  if (sw == nullptr && !ForNoSwitch(target)) {
    CloseFrame();
    return false;
  }
  Screen* screen = Create(target, sw, port);
  if (screen == nullptr) {
    CloseFrame();
    return false;
  }
  Show(screen);
  return true;
}

void ScreenNavigator::ShowResult(const QString& title, const QStringList& lines, Target target,
                                 const SwitchRef& sw, int port) {
  Show(new ResultScreen(*this, Find(sw), port, title, lines, target));
}

void ScreenNavigator::ShowMessage(const QString& title, const QStringList& lines, Target target,
                                  const SwitchRef& sw, int port) {
  Show(new MessageScreen(*this, Find(sw), port, title, lines, target));
}

void ScreenNavigator::ShowRestartWait(const QString& title, const QString& text, Target target,
                                      const MacAddress& mac) {
  Show(new RestartWaitScreen(*this, app_, mac, title, target, text));
}

void ScreenNavigator::Show(Screen* screen) {
  // The new screen is in the list and in the frame before the one shown so
  // far goes: the list never runs empty on the way from one screen to the
  // next, so export and import stay refused from the first screen to the
  // last, and the frame stays where it is.
  screens_.remove(screen);
  screens_.push_front(screen);
  nextId_ = nextId_ >= ids::kLastScreen ? ids::kFirstScreen : nextId_ + 1;
  screen->setObjectName(QString::number(nextId_));
  if (screen->hub() && page_ != nullptr) page_->SetFileButtonsEnabled(false);
  frame_->Host(screen);
  // At most one screen stays alive besides the new one; the one shown so far
  // is replaced, so every older screen goes.
  while (screens_.size() > 1) {
    Screen* old = screens_.back();
    screens_.pop_back();
    if (old != nullptr) CloseScreen(old);
  }
  screen->RestoreFocus();
}

void ScreenNavigator::CloseScreen(Screen* screen) {
  screen->Stop();
  screen->hide();
  if (frame_->hosted() == screen) frame_->Empty();
  screen->deleteLater();
  screens_.remove(screen);
  if (screens_.empty() && page_ != nullptr) page_->SetFileButtonsEnabled(true);
}

void ScreenNavigator::CloseFrame() {
  while (!screens_.empty()) {
    Screen* screen = screens_.front();
    if (screen == nullptr) {
      screens_.pop_front();
      continue;
    }
    CloseScreen(screen);
  }
  if (page_ != nullptr) page_->SetFileButtonsEnabled(true);
  if (frame_->isVisible()) frame_->Empty();
  if (page_ != nullptr) page_->RestoreFocus();
}

void ScreenNavigator::ApplyResult(const Notice& notice) {
  for (const QPointer<Screen>& screen : screens_) {
    if (screen != nullptr && screen->job() != 0 && screen->job() == notice.job &&
        screen->switchRef() == notice.switchRef) {
      screen->ApplyResult(notice);
      return;
    }
  }
}

bool ScreenNavigator::ShowsSwitch(const SwitchRef& sw) const {
  for (const QPointer<Screen>& screen : screens_) {
    if (screen != nullptr && screen->hasSwitch() && screen->switchRef() == sw) return true;
  }
  return false;
}

void ScreenNavigator::SwitchRemoving(const SwitchRef& sw) {
  if (ShowsSwitch(sw)) {
    CloseFrame();
  } else if (Screen* shown = current(); shown != nullptr && !shown->hasSwitch()) {
    shown->update();  // the administration screen lists the managed switches
  }
}

void ScreenNavigator::KeepVisible(const QRect& rect) { frame_->EnsureVisible(rect); }

bool ScreenNavigator::applying() const {
  for (const auto& screen : screens_) {
    if (screen && screen->job() != 0) return true;
  }
  return FirmwareRunning();
}

// The switch's own job tells (whether or not its progress screen is still open).
bool ScreenNavigator::FirmwareRunning() const {
  for (SwitchView sw : app_.Switches()) {
    const FirmwareStatus status = sw.firmwareStatus();
    if (status.started && !status.finished) return true;
  }
  return false;
}

void ScreenNavigator::FirmwareFinished(const Notice& notice) {
  for (const QPointer<Screen>& screen : screens_) {
    auto* progress = qobject_cast<FirmwareProgressScreen*>(screen.data());
    if (progress != nullptr && progress->switchRef() == notice.switchRef) {
      progress->Finished();
      return;
    }
  }
  if (Find(notice.switchRef) != nullptr) SwitchService(app_).FirmwareEnded(notice.switchRef);
}

void ScreenNavigator::ApplyBegun(const MacAddress& mac) { applying_.insert(mac); }

void ScreenNavigator::SwitchSettingsRead(const SwitchRef& ref) {
  // A loaded file's apply ends once the synchronisation it asked for has run
  // and the switch is ready again (after a synchronisation discovery adopts
  // it once more, which tells again); the service shows refused settings.
  SwitchView sw = Find(ref);
  if (sw != nullptr && applyPending(ref.mac) && sw.lastSyncDone() && !sw.synchronisationPending() &&
      sw.ready()) {
    applying_.erase(ref.mac);
    const ServiceResult ended = SwitchService(app_).EndApply(sw);
    if (!ended.ok && !ended.text.empty()) {
      QMessageBox::critical(page_, ToQt(kApplicationTitle), ToQt(ended.text));
    }
  }
  emit switchSettingsRead(ref);
}

}  // namespace ntr::ui
