#include "ui/screenshots/screen_pictures.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>

#include "ui/forms/screen_ids.h"
#include "ui/main_window/main_window.h"
#include "ui/screens/firmware_progress_screen.h"
#include "ui/screens/firmware_update_screen.h"
#include "ui/screens/power_saving_screen.h"
#include "ui/screens/restart_wait_screen.h"
#include "ui/screens/screen_navigator.h"
#include "ui/screens/switch_name_screen.h"
#include "ui/screenshots/picture_kit.h"

namespace ntr::ui::shots {

// The name screen, then the result of a successful apply and the message of
// a refused one (the simulator refuses the next name).
void SaveNameAndResultScreens(WindowApp& window, SwitchView sw) {
  ScreenNavigator* screens = window.screens();
  if (!screens->Open(Target::kSwitchName, sw.ref())) return Fail("the name screen did not open");
  Settle();
  Save(window.window(), "screen-switch-name");
  auto* name = qobject_cast<SwitchNameScreen*>(screens->current());
  const auto applyName = [&](const char* text) {
    name = qobject_cast<SwitchNameScreen*>(screens->current());
    if (name == nullptr) return false;
    name->edit()->setText(text);
    name->findChild<QPushButton*>(ids::form::kSet)->click();
    return WaitFor(
        [&] {
          return screens->current() != nullptr && screens->current()->job() == 0 &&
                 qobject_cast<SwitchNameScreen*>(screens->current()) == nullptr;
        },
        10000);
  };
  if (!applyName("core-room-2")) return Fail("no result screen");
  Settle();
  Save(window.window(), "screen-result");
  screens->Open(Target::kSwitchName, sw.ref());
  Ctl(QStringLiteral("fault core refuse system-name 2 1"));
  if (!applyName("core-room-3")) return Fail("no message screen");
  Settle();
  Save(window.window(), "screen-message");
  screens->CloseFrame();
}

// The port screen of each model (the whole screen, taller than the frame),
// then each edit screen of a port in the frame.
void SavePortScreens(WindowApp& window, SwitchView core, SwitchView edge, SwitchView power) {
  ScreenNavigator* screens = window.screens();
  const auto shoot = [&](SwitchView sw, int port, const char* name) {
    if (sw == nullptr) return;
    if (!screens->Open(Target::kPort, sw.ref(), port)) return Fail("a port screen did not open");
    Settle();
    Save(screens->current(), name);
  };
  shoot(core, 9, "screen-port-24g");
  shoot(edge, 1, "screen-port-8g");
  shoot(power, 0, "screen-port-poe");
  const auto edit = [&](SwitchView sw, int port, Target target, const char* name) {
    if (sw == nullptr) return;
    if (!screens->Open(target, sw.ref(), port))
      return Fail("an edit screen of a port did not open");
    Settle();
    Save(window.window(), name);
  };
  edit(core, 2, Target::kPortBasic, "screen-port-basic");
  edit(core, 9, Target::kPortQos, "screen-port-qos");
  edit(core, 9, Target::kFrameCounter, "screen-frame-counter");
  edit(power, 0, Target::kPowerClass, "screen-power-class");
  edit(edge, 1, Target::kMultipleVlan, "screen-multiple-vlan");
  screens->CloseFrame();
}

// The main screen of each model (the form alone: it is taller than the
// frame), and the edit screens of the whole switch in the window.
void SaveSwitchScreens(WindowApp& window) {
  ScreenNavigator* screens = window.screens();
  const std::pair<const char*, const char*> mains[] = {{"NTR7100-24G", "screen-switch-main-24g"},
                                                       {"NTR7100-8G", "screen-switch-main-8g"},
                                                       {"NTR7100-8PoE", "screen-switch-main-8poe"}};
  for (const auto& [model, picture] : mains) {
    SwitchView sw = FindSwitch(window, model);
    if (sw == nullptr || !screens->Open(Target::kSwitchMain, sw.ref()))
      return Fail("a main screen did not open");
    Settle();
    Save(screens->current(), picture);  // the whole form, also the part the frame scrolls to
  }
  SwitchView edge = FindSwitch(window, "NTR7100-8G");
  const std::pair<Target, const char*> edits[] = {{Target::kLoopDetection, "screen-loop-detection"},
                                                  {Target::kMirroring, "screen-mirroring"},
                                                  {Target::kPowerSaving, "screen-power-saving"}};
  for (const auto& [screen, picture] : edits) {
    if (!screens->Open(screen, edge.ref())) return Fail("an edit screen did not open");
    Settle();
    Save(window.window(), picture);
  }
  auto* power = qobject_cast<PowerSavingScreen*>(screens->current());
  (power->economyChoice()->isChecked() ? power->normalChoice() : power->economyChoice())
      ->setChecked(true);
  power->findChild<QPushButton*>(ids::form::kSet)->click();
  Settle();
  Save(window.window(), "screen-power-saving-confirm");
  screens->CloseFrame();
}

// The firmware screens on the PoE switch (a leaf of the network): the file
// screen, the progress in the middle of a large image, and the wait for the
// restart, which leaves when the switch has been read again.
void SaveFirmwareScreens(WindowApp& window) {
  ScreenNavigator* screens = window.screens();
  SwitchView power = FindSwitch(window, "NTR7100-8PoE");
  if (power == nullptr || !screens->Open(Target::kSwitchMain, power.ref()))
    return Fail("no PoE main screen");
  screens->current()->findChild<QPushButton*>(ids::switch_main::kFirmware)->click();
  auto* update = qobject_cast<FirmwareUpdateScreen*>(screens->current());
  if (update == nullptr) return Fail("the firmware screen did not open");
  const QString image = QDir(outDir).filePath("firmware-demo.bin");
  if (QProcess::execute(qEnvironmentVariable("NTR_DEMO_SIM"),
                        {"--make-firmware", "1.10", image, "10000000"}) != 0) {
    return Fail("no firmware image");
  }
  update->pathEdit()->setText(image);
  Settle();
  Save(window.window(), "screen-firmware-update");
  update->findChild<QPushButton*>(ids::firmware_update::kRun)->click();
  QPointer<FirmwareProgressScreen> progress =
      qobject_cast<FirmwareProgressScreen*>(screens->current());
  if (progress == nullptr) return Fail("no progress screen");
  const ntr::SwitchRef ref = power.ref();
  // The picture is taken as soon as the screen itself shows the middle of the
  // transfer: a fixed pause after the switch got there may see the end.
  const bool halfway = WaitFor(
      [&] {
        return progress != nullptr && screens->current() == progress.data() &&
               progress->bar()->value() >= 30 && progress->bar()->value() < 100;
      },
      60000);
  if (!halfway) return Fail("the progress screen did not show the middle of the update");
  Save(window.window(), "screen-firmware-progress");
  if (!WaitFor([&] { return qobject_cast<RestartWaitScreen*>(screens->current()) != nullptr; },
               120000)) {
    return Fail("no restart-wait screen");
  }
  // The restarting switch leaves the page: the picture waits for that, not
  // for the time it happens to take.
  if (!WaitFor([&] { return window.app().FindSwitch(ref) == nullptr; }, 60000)) {
    return Fail("the restarting switch stayed on the page");
  }
  Settle();
  Save(window.window(), "screen-restart-wait");
  if (!WaitFor([&] { return qobject_cast<RestartWaitScreen*>(screens->current()) == nullptr; },
               60000)) {
    Fail("the restart-wait screen stayed after the switch came back");
  }
  screens->CloseFrame();
  QFile::remove(image);
}

}  // namespace ntr::ui::shots
