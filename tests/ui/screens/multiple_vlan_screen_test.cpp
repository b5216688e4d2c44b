// The multiple-VLAN screen of a port over the simulator in process: the
// groups it lists, the focus moving on, the requests of a success and of a failure in order, and
// where each leads.
#include <QTest>

#include "catalogue/function_descriptors.h"
#include "tests/ui/support/sent_sets.h"
#include "tests/ui/support/sim_window.h"
#include "ui/forms/screen_ids.h"
#include "ui/screens/multiple_vlan_screen.h"
#include "ui/screens/port_screen.h"
#include "ui/screens/result_screens.h"
#include "ui/screens/screen_navigator.h"

using namespace ntr;
using namespace ntr::ui;

namespace {

const char kNetwork[] = "switch edge model=NTR7100-8G serial=T8G\n";

QPushButton* Button(QWidget* screen, const QString& id) {
  return screen->findChild<QPushButton*>(id);
}

}  // namespace

class MultipleVlanScreenTest : public QObject {
  Q_OBJECT

 private slots:
  void appliesTheChangedGroupsThenTheUseAndReturns() {
    test::SimWindow sim{kNetwork};
    QVERIFY(sim.Start() && sim.WaitForReady(1));
    ScreenNavigator* screens = sim.app().screens();
    const auto open = [&] {
      emit sim.app().screenRequested(sim.Switch("edge")->ref(), 2);
      Button(screens->current(), ids::port::kMultipleVlan)->click();
      return qobject_cast<MultipleVlanScreen*>(screens->current());
    };
    const auto apply = [&](Screen* screen) {
      sim.peer().ClearLog();
      Button(screen, ids::form::kSet)->click();
      return test::SimWindow::WaitFor([&] { return screens->current() != screen; });
    };

    auto* screen = open();
    QVERIFY(screen != nullptr);
    QCOMPARE(screen->groupCheck(0)->text(), QStringLiteral(" 1 参加ポート[なし]"));
    QCOMPARE(screen->findChildren<QCheckBox*>().size(), 8);
    // The focus moves on from the first group, as a Tab press there would move it.
    QCOMPARE(screen->window()->focusWidget(), screen->groupCheck(0));
    QVERIFY(test::SimWindow::WaitFor(
        [&] { return screen->window()->focusWidget() == screen->groupCheck(1); }));
    screen->groupCheck(0)->setChecked(true);
    screen->groupCheck(2)->setChecked(true);
    QVERIFY(apply(screen));
    auto* result = qobject_cast<ResultScreen*>(screens->current());
    QVERIFY(result != nullptr);
    QCOMPARE(test::SentSets(sim.peer()),
             (QStringList{"vlan-multiple 3 1=1", "vlan-multiple 3 3=1", "vlan-multiple-use=1"}));
    QCOMPARE(result->lines(), QStringList{QString::fromUtf8(kMultipleVlanAppliedText)});
    QCOMPARE(result->backTarget(), Target::kPort);

    sim.peer().Control("fault edge refuse vlan-multiple-use 2");
    screen = open();
    QVERIFY(screen != nullptr && screen->groupCheck(2)->isChecked());
    QCOMPARE(screen->groupCheck(2)->text(), QStringLiteral(" 3 参加ポート[3]"));
    screen->groupCheck(0)->setChecked(false);
    screen->groupCheck(2)->setChecked(false);
    QVERIFY(apply(screen));
    auto* message = qobject_cast<MessageScreen*>(screens->current());
    QVERIFY(message != nullptr);
    QCOMPARE(test::SentSets(sim.peer()),
             (QStringList{"vlan-multiple 3 1=default", "vlan-multiple 3 3=default",
                          "vlan-multiple-use=default"}));
    QCOMPARE(message->lines().front(), QString::fromUtf8(kMultipleVlanFailedText));
    Button(message, ids::result::kBack)->click();
    QVERIFY(qobject_cast<MultipleVlanScreen*>(screens->current()) != nullptr);
  }
};

QTEST_MAIN(MultipleVlanScreenTest)
#include "multiple_vlan_screen_test.moc"
