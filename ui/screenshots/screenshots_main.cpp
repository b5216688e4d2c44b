// ntr-screenshots: the window against the demonstration network, offscreen,
// written to PNG files for people to look at. Runs inside the tool's
// namespace of scripts/demo-network.sh (it uses the simulator's control
// channel from the environment that script sets) and checks that every
// picture it wrote exists and is not blank.
//
//   ntr-screenshots DIR [SUFFIX]
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "app/switch_service.h"
#include "ui/dialogs/adoption_dialog.h"
#include "ui/dialogs/dialog_ids.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/page_view.h"
#include "ui/main_window/window_app.h"
#include "ui/screenshots/picture_kit.h"
#include "ui/screenshots/screen_pictures.h"
#include "ui/style/fonts.h"

namespace {

using ntr::SwitchView;
using namespace ntr::ui;
using namespace ntr::ui::shots;

void Hover(QWidget* widget, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
}

void Unhover(WindowApp& window) {
  for (SwitchPanel* panel : window.view()->page()->Panels()) panel->HoverAt(QPoint(-1, -1));
  window.view()->page()->HoverAt(QPoint(-1, -1));
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
      if (auto* device = question->findChild<QPushButton*>(ids::adoption::kSecond)) device->click();
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
    const auto switches = window.app().Switches();
    if (switches.size() < count) return false;
    for (SwitchView sw : switches) {
      if (!sw.ready() || !sw.polledOnce()) return false;
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
    SwitchView core = FindSwitch(window, "NTR7100-24G");
    SwitchView power = FindSwitch(window, "NTR7100-8PoE");
    if (power != nullptr) {
      page->PanelOf(power.ref())->SetPowerDisplay(true);
      Settle();
      Save(main, "top-poe-power");
    }
    // Popups: this computer, a switch, a port with its counters, a PoE port.
    Hover(page, TopPanel::ComputerRect().center());
    Settle();
    Save(main, "popup-application");
    Unhover(window);
    if (core != nullptr) {
      SwitchPanel* panel = page->PanelOf(core.ref());
      Hover(panel, QPoint(60, 40));
      Settle();
      Save(main, "popup-switch");
      Unhover(window);
      Hover(panel, ntr::ui::PortPosition(2, 9) + QPoint(8, 8));
      WaitFor([&] { return core.record().portStatus[9].rxOctets.load() > 0; }, 5000);
      Settle();
      Save(main, "popup-port");
      Unhover(window);
      Ctl("loop core 10 on");
      WaitFor(
          [&] {
            ntr::ErrorPair error;
            ntr::SwitchService::RequestPoll(core, error);
            return core.record().portStatus[9].loopState.load() != 0;
          },
          10000);
      Settle();
      Save(main, "top-loop-alarm");
    }
    if (power != nullptr) {
      SwitchPanel* panel = page->PanelOf(power.ref());
      Hover(panel, ntr::ui::PortPosition(3, 0) + QPoint(8, 8));
      WaitFor([&] { return power.record().portStatus[0].poeSupply.load() > 0; }, 5000);
      Settle();
      Save(main, "popup-poe-port");
      Unhover(window);
    }
    Ctl("add switch odd model=NTR7100-8G reported-model=NTR7100-48X serial=DEMOX000001 "
        "firmware=1.00 uplink=core:7");
    WaitFor([&] { return window.app().Switches().size() >= 4; }, 30000);
    Settle();
    Save(main, "top-unknown-model");
    for (SwitchView sw : window.app().Switches()) {
      if (sw.record().modelName.get() != "NTR7100-48X") continue;
      SwitchPanel* panel = page->PanelOf(sw.ref());
      if (panel == nullptr) break;
      Hover(panel, QPoint(20, 37));
      Settle();
      Save(main, "popup-unknown-model");
      Unhover(window);
    }
    if (core != nullptr) SaveNameAndResultScreens(window, core);
    SavePortScreens(window, core, FindSwitch(window, "NTR7100-8G"), power);
    SaveSwitchScreens(window);
    SaveDialogs();
    SaveFirmwareScreens(window);
    SaveVlanScreens(window);
    SaveAdminScreens(window);
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
