// The top page: the keyboard focus ring across its two panels, a switch
// panel's clicks (display changes, the click guard, which screen a double
// click asks for), and the pop-up leaving when the page changes under it.
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "tests/ui/support/sim_window.h"
#include "ui/top_page/focus_ring.h"
#include "ui/top_page/top_page_ids.h"
#include "ui/top_page/top_panel.h"

using namespace ntr;
using namespace ntr::ui;

namespace {

// What a double click delivers: press, release, double click, release.
void DoubleClick(QWidget* widget, Qt::MouseButton button, Qt::KeyboardModifiers, QPoint at) {
  QTest::mousePress(widget, button, Qt::NoModifier, at);
  QTest::mouseRelease(widget, button, Qt::NoModifier, at);
  QTest::mouseDClick(widget, button, Qt::NoModifier, at);
  QTest::mouseRelease(widget, button, Qt::NoModifier, at);
}

}  // namespace

class TopPageTest : public QObject {
  Q_OBJECT

 private slots:
  void focusRingCrossesBetweenThePanels() {
    TopPanel page;
    page.show();
    const auto press = [&](const char* from, Qt::Key key) {
      page.FocusButton(FocusPositionOf(from));
      QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
      QCoreApplication::sendEvent(page.button(from), &event);
      return FocusButtonName(page.focusPosition());
    };
    // Forward from the last top-panel button goes down to the legend and
    // from the legend's last button back up; backward the other way round.
    QCOMPARE(press(ids::top::kAllIcons, Qt::Key_Tab), QString(ids::top::kRedisplay));
    QCOMPARE(press(ids::top::kCloseLegend, Qt::Key_Tab), QString(ids::top::kExport));
    QCOMPARE(press(ids::top::kExport, Qt::Key_Backtab), QString(ids::top::kCloseLegend));
    QCOMPARE(press(ids::top::kRedisplay, Qt::Key_Up), QString(ids::top::kAllIcons));
    QCOMPARE(press(ids::top::kAllDetailed, Qt::Key_Right), QString(ids::top::kAllIcons));
    QCOMPARE(press(ids::top::kExport, Qt::Key_Down), QString(ids::top::kImport));
    QCOMPARE(press(ids::top::kImport, Qt::Key_Tab), QString(ids::top::kAllDetailed));
    // Export and import are passed over while they are disabled.
    page.SetFileButtonsEnabled(false);
    QCOMPARE(press(ids::top::kCloseLegend, Qt::Key_Tab), QString(ids::top::kAllDetailed));
    QCOMPARE(press(ids::top::kAllDetailed, Qt::Key_Left), QString(ids::top::kCloseLegend));
  }

  void clicksChangeTheDisplayAndDoubleClicksAskForScreens() {
    test::SimWindow sim(
        "switch core model=NTR7100-24G serial=T24G firmware=1.00\n"
        "switch odd model=NTR7100-8G reported-model=NTR7100-48X serial=TODD firmware=1.00 "
        "uplink=core:7\n");
    test::DialogAnswerer& answerer = sim.answerer();
    QVERIFY(sim.Start());
    QVERIFY2(sim.WaitFor([&] {
      return sim.Panel("core") != nullptr && sim.Panel("odd") != nullptr &&
             IsReady(*sim.Switch("core"));
    }),
             qPrintable(answerer.messages.join('|')));
    SwitchPanel* panel = sim.Panel("core");
    QSignalSpy screens(panel, &SwitchPanel::screenRequested);
    const QPoint chassis = ChassisRect(2, false, panel->height()).center();

    // A click on the icon opens the detailed display; a double click right
    // after it opens nothing.
    DoubleClick(panel, Qt::LeftButton, Qt::NoModifier, chassis);
    QVERIFY(panel->detailed());
    QVERIFY(panel->clickGuarded());
    QCOMPARE(screens.count(), 0);
    QVERIFY(sim.WaitFor([&] { return !panel->clickGuarded(); }, 2000));

    // Port 17 of the 24-port model answers 2 px left of its picture.
    const QPoint port17 = PortPosition(2, 16) + QPoint(-2, 4);
    DoubleClick(panel, Qt::LeftButton, Qt::NoModifier, port17);
    QCOMPARE(screens.count(), 1);
    QCOMPARE(screens.last().at(1).toInt(), 16);
    DoubleClick(panel, Qt::LeftButton, Qt::NoModifier, QPoint(60, 40));
    QCOMPARE(screens.count(), 2);
    QCOMPARE(screens.last().at(1).toInt(), -1);

    // The fold button goes back to the icon.
    QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, QPoint(510, 20));
    QVERIFY(!panel->detailed());

    // "全ての管理スイッチを詳細表示" leaves the switch of an unknown model an icon.
    sim.page()->button(ids::top::kAllDetailed)->click();
    QVERIFY(panel->detailed());
    QVERIFY(!sim.Panel("odd")->detailed());
    DoubleClick(sim.Panel("odd"), Qt::LeftButton, Qt::NoModifier, QPoint(20, 37));
    sim.page()->button(ids::top::kAllIcons)->click();
    QVERIFY(!panel->detailed());
  }

  // Expanding, folding and scrolling move the object away from the pop-up:
  // it goes, and the panel shows it again on the next move.
  void thePopupGoesWhenTheDisplayChangesUnderIt() {
    test::SimWindow sim(
        "switch core model=NTR7100-24G serial=T24G firmware=1.00\n"
        "switch edge model=NTR7100-8G serial=T8G firmware=1.00 uplink=core:3\n");
    QVERIFY(sim.Start());
    QVERIFY(sim.WaitForReady(2));
    SwitchPanel* panel = sim.Panel("core");
    PopupWindow* popup = sim.app().popup();
    const QPoint chassis = ChassisRect(2, false, panel->height()).center();
    panel->HoverAt(chassis);
    QVERIFY(popup->isVisible());
    QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, chassis);
    QVERIFY(panel->detailed());
    QVERIFY(!popup->isVisible());

    const QPoint fold(510, 20);
    panel->HoverAt(fold);
    QVERIFY(popup->isVisible());
    QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, fold);
    QVERIFY(!panel->detailed());
    QVERIFY(!popup->isVisible());

    sim.app().window()->resize(500, 260);
    QScrollBar* bar = sim.app().view()->verticalScrollBar();
    QVERIFY(sim.WaitFor([&] { return bar->maximum() > 0; }, 5000));
    panel->HoverAt(chassis);
    QVERIFY(popup->isVisible());
    bar->setValue(bar->maximum());
    QVERIFY(!popup->isVisible());
    panel->HoverAt(chassis);
    QVERIFY(popup->isVisible());
  }
};

QTEST_MAIN(TopPageTest)
#include "top_page_test.moc"
