// The main window with its page over the simulator in process: its first
// size on a small screen, the layout of the panels, the modal read of a
// switch's own settings, the capture restart after a resume, and the setting
// frame within the window (where it opens, what closes it, the file buttons
// and the focus while it is open).
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include "app/import_export.h"
#include "app/operator.h"
#include "app/switch_service.h"
#include "tests/ui/support/sim_window.h"
#include "ui/dialogs/dialog_ids.h"
#include "ui/dialogs/progress_dialog.h"
#include "ui/forms/screen_ids.h"
#include "ui/popup/popup_window.h"
#include "ui/screens/screen_navigator.h"
#include "ui/screens/switch_main_screen.h"
#include "ui/screens/switch_name_screen.h"
#include "ui/style/text.h"
#include "ui/top_page/top_page_ids.h"

using namespace ntr;
using namespace ntr::ui;

namespace {

const char kThreeModels[] =
    "switch core model=NTR7100-24G serial=T24G firmware=1.00\n"
    "switch edge model=NTR7100-8G serial=T8G firmware=1.00 uplink=core:3\n"
    "switch power model=NTR7100-8PoE serial=TPOE firmware=1.00 uplink=edge:8 port=8\n";

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void panelsAreLaidOutInRegistryOrderAndTheFrameKeepsItsRoom() {
    test::SimWindow sim(kThreeModels);
    QVERIFY(sim.Start());
    QVERIFY2(sim.WaitForReady(3),
             qPrintable(sim.answerer().messages.join('|') + sim.answerer().dialogs.join('|')));
    // The first size fits the screen's free area (the offscreen screen is 800×600).
    const QMainWindow* window = sim.app().window();
    const QRect free = window->screen()->availableGeometry();
    QVERIFY2(window->width() <= free.width() && window->height() <= free.height(),
             qPrintable(QStringLiteral("%1x%2").arg(window->width()).arg(window->height())));
    PageView* view = sim.app().view();
    view->Relayout();
    int y = TopPanel::kHeaderHeight;
    for (ManagedSwitch* sw : sim.app().app().discovery().Switches()) {
      SwitchPanel* panel = sim.page()->PanelOf(sw->ref());
      QVERIFY(panel != nullptr && panel->isVisible());
      QCOMPARE(panel->pos(), QPoint(0, y));
      y += panel->height();
    }
    QCOMPARE(sim.page()->legend()->pos(), QPoint(0, y));
    QVERIFY(sim.page()->height() >= y + sim.page()->legend()->height());

    // A frame moved beyond the page's edge makes room for itself; closing it
    // gives the room back.
    view->SetFrameEdges(QPoint(2400, 1900));
    QCOMPARE(sim.page()->size(), QSize(2400, 1900));
    view->SetFrameEdges(QPoint());
    QVERIFY(sim.page()->width() < 2400 && sim.page()->height() < 1900);
  }

  void aFailedReadIsReportedAndTheRecordRestored() {
    // A switch the tool has never seen, with settings of its own: the
    // operator keeps the switch's settings, and their read fails midway.
    test::SimWindow sim("switch edge model=NTR7100-8G serial=T8G firmware=1.00\n");
    sim.peer().Control("drift edge port-use 5 0");
    sim.peer().Control("fault edge delay 30");
    sim.peer().Control("fault edge refuse vlan-id 2");
    test::DialogAnswerer& answerer = sim.answerer();
    answerer.buttons["ntr::ui::AdoptionDialog"] = ids::adoption::kSecond;  // "機器"
    QVERIFY(sim.Start());

    PageView* view = sim.app().view();
    QVERIFY(sim.WaitFor([&] { return view->reading(); }));
    QVERIFY(view->progressDialog() != nullptr && view->progressDialog()->isVisible());
    QVERIFY(!sim.app().uiEnabled());
    sim.app().window()->close();
    QVERIFY(sim.app().window()->isVisible());  // refused while reading

    QVERIFY(sim.WaitFor([&] { return !view->reading() && !answerer.messages.isEmpty(); }));
    const MacAddress mac = sim.Mac("edge");
    QCOMPARE(answerer.messages.front(), QString::fromStdString(DeviceReadFailedText(mac)));
    QVERIFY(!view->progressDialog()->isVisible());
    ManagedSwitch* sw = sim.Switch("edge");
    QVERIFY(sw != nullptr);
    QCOMPARE(sw->record().ports[4].use.load(), 1);  // the tool's value, not the half-read one
    QCOMPARE(sw->record().readFailed.load(), 1);
    QVERIFY(!sim.Panel("edge")->detailed());
    QVERIFY(sim.app().uiEnabled());
  }

  void theCaptureRestartGivesUpAfterTheTenthFailure() {
    test::SimWindow sim("switch edge model=NTR7100-8G serial=T8G firmware=1.00\n");
    test::DialogAnswerer& answerer = sim.answerer();
    QVERIFY(sim.Start());
    MainWindow* window = sim.app().window();
    window->SetRestartPeriod(10);

    // A success at the third attempt ends the retries.
    sim.app().Suspend();
    sim.link().failReopen = true;
    sim.app().Resume();
    QVERIFY(sim.WaitFor([&] { return window->restartAttempts() == 2; }, 5000));
    sim.link().failReopen = false;
    QVERIFY(sim.WaitFor([&] { return !window->restarting(); }, 5000));
    QVERIFY(window->isVisible());
    QVERIFY(answerer.messages.isEmpty());

    sim.app().Suspend();
    sim.link().failReopen = true;
    sim.app().Resume();
    QVERIFY(sim.WaitFor([&] { return !window->isVisible(); }, 5000));
    QCOMPARE(window->restartAttempts(), MainWindow::kRestartAttempts);
    QCOMPARE(answerer.messages, QStringList{QString::fromUtf8(kCaptureRestartFailedText)});
  }

  // On a scrolled page of a small window the frame opens at (150, 25) of
  // what shows, caption and close button inside; a suspend closes it.
  void theFrameOpensWhereTheOperatorLooks() {
    test::SimWindow sim(kThreeModels);
    QVERIFY(sim.Start());
    QVERIFY(sim.WaitForReady(3));
    PageView* view = sim.app().view();
    sim.app().window()->resize(560, 240);
    QScrollBar* bar = view->verticalScrollBar();
    QVERIFY(sim.WaitFor([&] { return bar->maximum() > 100; }, 5000));
    bar->setValue(bar->maximum());
    const int scrolled = bar->value();
    emit sim.app().screenRequested(sim.Switch("power")->ref(), -1);
    SettingFrame* frame = sim.app().screens()->frame();
    QVERIFY(frame->isVisible());
    QCOMPARE(bar->value(), scrolled);
    QCOMPARE(frame->mapTo(view->viewport(), QPoint(0, 0)), SettingFrame::kHomePosition);
    const QRect close(frame->mapTo(view->viewport(), SettingFrame::kCloseButton.topLeft()),
                      SettingFrame::kCloseButton.size());
    QVERIFY(view->viewport()->rect().contains(close));
    // The pop-up of a switch beside the frame stays under it.
    SwitchPanel* power = sim.Panel("power");
    power->HoverAt(ChassisRect(3, false, power->height()).center());
    QVERIFY(sim.app().popup()->isVisible());
    const QObjectList stacked = sim.page()->children();
    QVERIFY(stacked.indexOf(sim.app().popup()) < stacked.indexOf(frame));

    emit sim.app().administrationRequested();
    QVERIFY(frame->isVisible());
    sim.app().Suspend();
    QVERIFY(!frame->isVisible());
    QVERIFY(sim.app().screens()->current() == nullptr);
    QVERIFY(sim.answerer().messages.isEmpty());
  }

  // Export and import stay refused while any screen is open, and both close
  // the frame first, so that no screen keeps settings from before an import.
  // Activating the window gives the focus back to the screen's control.
  void anOpenScreenHoldsTheFileButtonsAndTheFocus() {
    test::SimWindow sim("switch edge model=NTR7100-8G serial=T8G firmware=1.00\n");
    QVERIFY(sim.Start());
    QVERIFY(sim.WaitForReady(1));
    ScreenNavigator* screens = sim.app().screens();
    emit sim.app().screenRequested(sim.Switch("edge")->ref(), -1);
    QVERIFY(qobject_cast<SwitchMainScreen*>(screens->current()) != nullptr);
    screens->current()->findChild<QPushButton*>(ids::switch_main::kName)->click();
    auto* name = qobject_cast<SwitchNameScreen*>(screens->current());
    QVERIFY(name != nullptr);
    QVERIFY(!sim.page()->button(ids::top::kExport)->isEnabled());
    QVERIFY(!sim.page()->button(ids::top::kImport)->isEnabled());

    MainWindow* window = sim.app().window();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QPushButton* apply = name->findChild<QPushButton*>(ids::form::kSet);
    apply->setFocus();
    QEvent activation(QEvent::ActivationChange);
    QCoreApplication::sendEvent(window, &activation);
    QCOMPARE(QApplication::focusWidget(), apply);

    emit sim.page()->exportRequested();  // the save dialog is cancelled
    QVERIFY(screens->current() == nullptr);
    QVERIFY(!screens->frame()->isVisible());

    emit sim.app().screenRequested(sim.Switch("edge")->ref(), -1);
    const auto file = sim.root() / "exported.txt";
    ErrorPair error;
    QVERIFY(ExportSettings(file, error));
    sim.answerer().files << QString::fromStdString(file.string());
    emit sim.page()->importRequested();
    QVERIFY(screens->current() == nullptr);
    QVERIFY(sim.WaitFor([&] { return sim.answerer().messages.contains(ToQt(kImportedText)); }));
    QVERIFY(sim.page()->button(ids::top::kImport)->isEnabled());
  }

  // The switch of the open screen is lost: the operator is told, the frame closes.
  void aLostSwitchWithItsScreenOpenIsReported() {
    test::SimWindow sim(kThreeModels);
    QVERIFY(sim.Start());
    QVERIFY(sim.WaitForReady(3));
    const SwitchRef power = sim.Switch("power")->ref();
    emit sim.app().screenRequested(power, 2);
    QVERIFY(sim.app().screens()->current() != nullptr);
    sim.peer().Control("remove power");
    QVERIFY(sim.WaitFor([&] { return sim.app().app().discovery().Find(power) == nullptr; }));
    QCOMPARE(sim.answerer().messages, QStringList{ToQt(kSwitchLostText)});
    QVERIFY(sim.app().screens()->current() == nullptr);
    QVERIFY(!sim.app().screens()->frame()->isVisible());
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
