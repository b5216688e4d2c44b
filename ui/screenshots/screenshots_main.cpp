// ntr-screenshots: the window against the demonstration network, offscreen,
// written to PNG files for people to look at. Runs inside the tool's
// namespace of scripts/demo-network.sh (it uses the simulator's control
// channel from the environment that script sets) and checks that every
// picture it wrote exists and is not blank.
//
//   ntr-screenshots DIR [SUFFIX]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "device/managed_switch.h"
#include "device/switch_phase.h"
#include "ui/dialogs/adapter_dialog.h"
#include "ui/dialogs/adoption_dialog.h"
#include "ui/dialogs/progress_dialog.h"
#include "ui/dialogs/setting_failures_dialog.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/page_view.h"
#include "ui/main_window/window_app.h"
#include "ui/screens/firmware_progress_screen.h"
#include "ui/screens/firmware_update_screen.h"
#include "ui/screens/power_saving_screen.h"
#include "ui/screens/restart_wait_screen.h"
#include "ui/screens/screen_navigator.h"
#include "ui/screens/switch_name_screen.h"
#include "ui/style/fonts.h"

namespace {

using ntr::ManagedSwitch;
using namespace ntr::ui;

QString outDir;
QString suffix;
QStringList written;
bool failed = false;

bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

void Settle() { WaitFor([] { return false; }, 300); }

void Save(QWidget* widget, const QString& name) {
  widget->repaint();
  const QString path = QDir(outDir).filePath(name + suffix + ".png");
  if (!widget->grab().save(path)) {
    std::fprintf(stderr, "ntr-screenshots: cannot write %s\n", qPrintable(path));
    failed = true;
    return;
  }
  written << path;
}

bool Ctl(const QString& command) {
  const QString sim = qEnvironmentVariable("NTR_DEMO_SIM");
  const QString control = qEnvironmentVariable("NTR_DEMO_CONTROL");
  return QProcess::execute(sim, {"--ctl", control, command}) == 0;
}

void Fail(const char* what) {
  std::fprintf(stderr, "ntr-screenshots: %s\n", what);
  failed = true;
}

// A picture is blank when all its pixels have one colour.
bool Blank(const QString& path) {
  const QImage image(path);
  if (image.isNull()) return true;
  const QRgb first = image.pixel(0, 0);
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      if (image.pixel(x, y) != first) return false;
    }
  }
  return true;
}

ManagedSwitch* FindSwitch(WindowApp& window, const char* model) {
  for (ManagedSwitch* sw : window.app().discovery().Switches()) {
    if (sw->record().modelName.get() == model) return sw;
  }
  return nullptr;
}

void Hover(QWidget* widget, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
}

void Unhover(WindowApp& window) {
  for (SwitchPanel* panel : window.view()->page()->Panels()) panel->HoverAt(QPoint(-1, -1));
  window.view()->page()->HoverAt(QPoint(-1, -1));
}

// The name screen, then the result of a successful apply and the message of
// a refused one (the simulator refuses the next name).
void SaveScreens(WindowApp& window, ManagedSwitch* sw) {
  ScreenNavigator* screens = window.screens();
  if (!screens->Open(target::kSwitchName, sw->ref())) return Fail("the name screen did not open");
  Settle();
  Save(window.window(), "screen-switch-name");
  auto* name = qobject_cast<SwitchNameScreen*>(screens->current());
  const auto applyName = [&](const char* text) {
    name = qobject_cast<SwitchNameScreen*>(screens->current());
    if (name == nullptr) return false;
    name->edit()->setText(text);
    name->findChild<QPushButton*>("8001")->click();
    return WaitFor([&] { return screens->current() != nullptr && screens->current()->job() == 0 &&
                                qobject_cast<SwitchNameScreen*>(screens->current()) == nullptr; },
                   10000);
  };
  if (!applyName("core-room-2")) return Fail("no result screen");
  Settle();
  Save(window.window(), "screen-result");
  screens->Open(target::kSwitchName, sw->ref());
  Ctl(QStringLiteral("fault core refuse system-name 2 1"));
  if (!applyName("core-room-3")) return Fail("no message screen");
  Settle();
  Save(window.window(), "screen-message");
  screens->CloseFrame();
}

// The port screen of each model (the whole screen, taller than the frame),
// then each edit screen of a port in the frame.
void SavePortScreens(WindowApp& window, ManagedSwitch* core, ManagedSwitch* edge, ManagedSwitch* power) {
  ScreenNavigator* screens = window.screens();
  const auto shoot = [&](ManagedSwitch* sw, int port, const char* name) {
    if (sw == nullptr) return;
    if (!screens->Open(target::kPort, sw->ref(), port)) return Fail("a port screen did not open");
    Settle();
    Save(screens->current(), name);
  };
  shoot(core, 9, "screen-port-24g");
  shoot(edge, 1, "screen-port-8g");
  shoot(power, 0, "screen-port-poe");
  const auto edit = [&](ManagedSwitch* sw, int port, int target, const char* name) {
    if (sw == nullptr) return;
    if (!screens->Open(target, sw->ref(), port)) return Fail("an edit screen of a port did not open");
    Settle();
    Save(window.window(), name);
  };
  edit(core, 2, target::kPortBasic, "screen-port-basic");
  edit(core, 9, target::kPortQos, "screen-port-qos");
  edit(core, 9, target::kFrameCounter, "screen-frame-counter");
  edit(power, 0, target::kPowerClass, "screen-power-class");
  edit(edge, 1, target::kMultipleVlan, "screen-multiple-vlan");
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
    ManagedSwitch* sw = FindSwitch(window, model);
    if (sw == nullptr || !screens->Open(target::kSwitchMain, sw->ref())) return Fail("a main screen did not open");
    Settle();
    Save(screens->current(), picture);  // the whole form, also the part the frame scrolls to
  }
  ManagedSwitch* edge = FindSwitch(window, "NTR7100-8G");
  const std::pair<int, const char*> edits[] = {{target::kLoopDetection, "screen-loop-detection"},
                                               {target::kMirroring, "screen-mirroring"},
                                               {target::kPowerSaving, "screen-power-saving"}};
  for (const auto& [screen, picture] : edits) {
    if (!screens->Open(screen, edge->ref())) return Fail("an edit screen did not open");
    Settle();
    Save(window.window(), picture);
  }
  auto* power = qobject_cast<PowerSavingScreen*>(screens->current());
  (power->economyChoice()->isChecked() ? power->normalChoice() : power->economyChoice())->setChecked(true);
  power->findChild<QPushButton*>("8001")->click();
  Settle();
  Save(window.window(), "screen-power-saving-confirm");
  screens->CloseFrame();
}

// The firmware screens on the PoE switch (a leaf of the network): the file
// screen, the progress in the middle of a large image, and the wait for the
// restart, which leaves when the switch has been read again.
void SaveFirmwareScreens(WindowApp& window) {
  ScreenNavigator* screens = window.screens();
  ManagedSwitch* power = FindSwitch(window, "NTR7100-8PoE");
  if (power == nullptr || !screens->Open(target::kSwitchMain, power->ref())) return Fail("no PoE main screen");
  screens->current()->findChild<QPushButton*>("8002")->click();
  auto* update = qobject_cast<FirmwareUpdateScreen*>(screens->current());
  if (update == nullptr) return Fail("the firmware screen did not open");
  const QString image = QDir(outDir).filePath("firmware-demo.bin");
  if (QProcess::execute(qEnvironmentVariable("NTR_DEMO_SIM"), {"--make-firmware", "1.10", image, "2000000"}) != 0) {
    return Fail("no firmware image");
  }
  update->pathEdit()->setText(image);
  Settle();
  Save(window.window(), "screen-firmware-update");
  update->findChild<QPushButton*>("8001")->click();
  if (qobject_cast<FirmwareProgressScreen*>(screens->current()) == nullptr) return Fail("no progress screen");
  const ntr::SwitchRef ref = power->ref();
  const bool halfway = WaitFor([&] {
    ManagedSwitch* sw = window.app().discovery().Find(ref);
    return sw != nullptr && sw->firmwareStatus().state == ntr::kFirmwareTransferring && sw->firmwareStatus().progress >= 40;
  }, 60000);
  if (!halfway) return Fail("the update did not get halfway");
  Settle();
  Save(window.window(), "screen-firmware-progress");
  if (!WaitFor([&] { return qobject_cast<RestartWaitScreen*>(screens->current()) != nullptr; }, 120000)) {
    return Fail("no restart-wait screen");
  }
  Settle();
  Save(window.window(), "screen-restart-wait");
  if (!WaitFor([&] { return qobject_cast<RestartWaitScreen*>(screens->current()) == nullptr; }, 60000)) {
    Fail("the restart-wait screen stayed after the switch came back");
  }
  screens->CloseFrame();
  QFile::remove(image);
}

void SaveDialogs() {
  ProgressDialog progress(nullptr);
  progress.SetPercent(42);
  progress.show();
  Settle();
  Save(&progress, "dialog-progress");
  const ntr::MacAddress mac{0x02, 0x5C, 0x71, 0x00, 0x00, 0x02};
  const std::pair<ntr::AdoptionQuestion, const char*> questions[] = {
      {ntr::AdoptionQuestion::kFactoryState, "dialog-adoption-factory"},
      {ntr::AdoptionQuestion::kSettingsChanged, "dialog-adoption-changed"},
      {ntr::AdoptionQuestion::kNewDevice, "dialog-adoption-new"}};
  for (const auto& [mode, name] : questions) {
    AdoptionDialog dialog(mode, mac, nullptr);
    dialog.show();
    Settle();
    Save(&dialog, name);
  }
  SettingFailuresDialog failures(
      "02:5C:71:00:00:02",
      {"set port-speed 3 100-fdx", "set vlan-trunk 5 2 on", "set loopdetect-port-use 7 on"},
      "/home/operator/.local/share/Kaldor/NTR_Application/error_log.txt", nullptr);
  failures.show();
  Settle();
  Save(&failures, "dialog-setting-failures");
  const std::vector<ntr::AdapterInfo> adapters{
      {"enp3s0", "Intel Corporation I211 Gigabit Network Connection", "192.168.10.23",
       "00-1B-21-3A-4C-5D", {}},
      {"enx00e04c680001", "Realtek USB 10/100/1000 LAN", "---.---.---.---", "00-E0-4C-68-00-01", {}},
      {"wlp2s0", "wlp2s0", "fe80::1", "3C-22-FB-01-02-03", {}}};
  AdapterDialog adapter(adapters, nullptr);
  adapter.show();
  Settle();
  Save(&adapter, "dialog-adapter");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: ntr-screenshots DIR [SUFFIX]\n", stderr);
    return 2;
  }
  QApplication application(argc, argv);
  InstallApplicationFont();
  outDir = QString::fromLocal8Bit(argv[1]);
  suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
  QDir().mkpath(outDir);

  // Dialogs that appear while the switches are taken under management are
  // pictured and answered: the new switch is managed with its own settings.
  QTimer answerer;
  answerer.setInterval(20);
  QObject::connect(&answerer, &QTimer::timeout, [] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* question = qobject_cast<AdoptionDialog*>(modal)) {
      if (auto* device = question->findChild<QPushButton*>("1027")) device->click();
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      std::fprintf(stderr, "ntr-screenshots: message: %s\n", qPrintable(box->text()));
      box->accept();
    }
  });
  answerer.start();

  WindowApp window;
  if (!window.Start()) {
    Fail("the window did not start");
    return 1;
  }
  window.app().discovery().RequestCycle(true, 500);
  MainWindow* main = window.window();
  main->resize(880, 760);
  const auto ready = [&](std::size_t count) {
    const auto switches = window.app().discovery().Switches();
    if (switches.size() < count) return false;
    for (ManagedSwitch* sw : switches) {
      if (!ntr::IsReady(*sw) || !sw->settings.polledOnce()) return false;
    }
    return true;
  };
  if (!WaitFor([&] { return ready(3); }, 60000)) Fail("the three switches did not come");
  TopPanel* page = window.view()->page();
  Settle();
  Save(main, "top-icons");
  page->SetAllDetailed(true);
  Settle();
  Save(main, "top-detailed");
  if (suffix.isEmpty()) {
    ManagedSwitch* core = FindSwitch(window, "NTR7100-24G");
    ManagedSwitch* power = FindSwitch(window, "NTR7100-8PoE");
    if (power != nullptr) {
      page->PanelOf(power->ref())->SetPowerDisplay(true);
      Settle();
      Save(main, "top-poe-power");
    }
    // Popups: this computer, a switch, a port with its counters, a PoE port.
    Hover(page, TopPanel::ComputerRect().center());
    Settle();
    Save(main, "popup-application");
    Unhover(window);
    if (core != nullptr) {
      SwitchPanel* panel = page->PanelOf(core->ref());
      Hover(panel, QPoint(60, 40));
      Settle();
      Save(main, "popup-switch");
      Unhover(window);
      Hover(panel, ntr::ui::PortPosition(2, 9) + QPoint(8, 8));
      WaitFor([&] { return core->record().portStatus[9].rxOctets.load() > 0; }, 5000);
      Settle();
      Save(main, "popup-port");
      Unhover(window);
      Ctl("loop core 10 on");
      WaitFor([&] {
        ntr::ErrorPair error;
        core->settings.RequestPoll(error);
        return core->record().portStatus[9].loopState.load() != 0;
      }, 10000);
      Settle();
      Save(main, "top-loop-alarm");
    }
    if (power != nullptr) {
      SwitchPanel* panel = page->PanelOf(power->ref());
      Hover(panel, ntr::ui::PortPosition(3, 0) + QPoint(8, 8));
      WaitFor([&] { return power->record().portStatus[0].poeSupply.load() > 0; }, 5000);
      Settle();
      Save(main, "popup-poe-port");
      Unhover(window);
    }
    Ctl("add switch odd model=NTR7100-8G reported-model=NTR7100-48X serial=DEMOX000001 firmware=1.00 uplink=core:7");
    WaitFor([&] { return window.app().discovery().Switches().size() >= 4; }, 30000);
    Settle();
    Save(main, "top-unknown-model");
    for (ManagedSwitch* sw : window.app().discovery().Switches()) {
      if (sw->record().modelName.get() != "NTR7100-48X") continue;
      SwitchPanel* panel = page->PanelOf(sw->ref());
      if (panel == nullptr) break;
      Hover(panel, QPoint(20, 37));
      Settle();
      Save(main, "popup-unknown-model");
      Unhover(window);
    }
    if (core != nullptr) SaveScreens(window, core);
    SavePortScreens(window, core, FindSwitch(window, "NTR7100-8G"), power);
    SaveSwitchScreens(window);
    SaveDialogs();
    SaveFirmwareScreens(window);
  }
  for (const QString& path : written) {
    if (Blank(path)) {
      std::fprintf(stderr, "ntr-screenshots: %s is blank\n", qPrintable(path));
      failed = true;
    } else {
      std::printf("%s\n", qPrintable(path));
    }
  }
  main->ForceClose();
  return failed ? 1 : 0;
}
