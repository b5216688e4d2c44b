// The setting screens over the simulator in process: the name screen's apply
// and its result screens, the list of open screens, the apply job's life
// against the frame.
#include <QTest>

#include "tests/ui/support/sim_window.h"
#include "ui/forms/screen_ids.h"
#include "ui/screens/result_screens.h"
#include "ui/screens/screen_navigator.h"
#include "ui/screens/switch_main_screen.h"
#include "ui/screens/switch_name_screen.h"
#include "ui/top_page/top_page_ids.h"

using namespace ntr;
using namespace ntr::ui;

namespace {

const char kEdge[] = "switch edge model=NTR7100-8G serial=T8G firmware=1.00\n";
constexpr std::uint16_t kSystemNameId = 0x0106;

QPushButton* Button(QWidget* screen, const QString& id) {
  return screen->findChild<QPushButton*>(id);
}

// The system-name sets the switch received, as texts.
QStringList NameSets(test::SimPeer& peer) {
  QStringList names;
  for (const auto& entry : peer.Log()) {
    if (entry.application == PduType::kFuncRequest && entry.function.functionId == kSystemNameId &&
        entry.function.operation != kOpGet) {
      names << QString::fromStdString(entry.function.octets);
    }
  }
  return names;
}

struct Started {
  explicit Started(const char* description = kEdge) : sim(description) {}
  bool Go() {
    if (!sim.Start() || !sim.WaitForReady(1)) return false;
    sw = sim.Switch("edge");
    emit sim.app().screenRequested(sw->ref(), -1);
    return qobject_cast<SwitchMainScreen*>(navigator()->current()) != nullptr;
  }
  ScreenNavigator* navigator() { return sim.app().screens(); }
  SwitchNameScreen* OpenName() {
    Button(navigator()->current(), ids::switch_main::kName)->click();
    return qobject_cast<SwitchNameScreen*>(navigator()->current());
  }
  test::SimWindow sim;
  ManagedSwitch* sw = nullptr;
};

}  // namespace

class ScreensTest : public QObject {
  Q_OBJECT

 private slots:
  void theNameScreenAppliesAndReportsBothWays() {
    Started s;
    QVERIFY(s.Go());
    QVERIFY(s.navigator()->frame()->isVisible());
    SwitchNameScreen* name = s.OpenName();
    QVERIFY(name != nullptr);
    QCOMPARE(name->edit()->text(), QString::fromStdString(s.sw->record().systemName.get()));
    QCOMPARE(name->edit()->maxLength(), 32);
    QCOMPARE(name->window()->focusWidget(), name->edit());

    // Success: the request reaches the switch, the result screen leads back to the main screen.
    s.sim.peer().ClearLog();
    name->edit()->setText("lab-edge_1");
    Button(name, ids::form::kSet)->click();
    QVERIFY(s.sim.WaitFor(
        [&] { return qobject_cast<ResultScreen*>(s.navigator()->current()) != nullptr; }));
    auto* result = qobject_cast<ResultScreen*>(s.navigator()->current());
    QCOMPARE(NameSets(s.sim.peer()), QStringList{"lab-edge_1"});
    QCOMPARE(s.sw->record().systemName.get(), std::string("lab-edge_1"));
    QCOMPARE(result->title(), QString::fromUtf8(kSwitchNameTitle));
    QCOMPARE(result->lines(), QStringList{QString::fromUtf8(kSwitchNameAppliedText)});
    QCOMPARE(Button(result, ids::result::kBack)->text(), QString::fromUtf8(kBackToDisplayText));
    Button(result, ids::result::kBack)->click();
    QVERIFY(qobject_cast<SwitchMainScreen*>(s.navigator()->current()) != nullptr);

    // Failure: the message screen with the error's text, back to the name screen.
    s.sim.peer().Control("fault edge refuse system-name 2");
    name = s.OpenName();
    name->edit()->setText("other");
    Button(name, ids::form::kSet)->click();
    QVERIFY(s.sim.WaitFor(
        [&] { return qobject_cast<MessageScreen*>(s.navigator()->current()) != nullptr; }));
    auto* message = qobject_cast<MessageScreen*>(s.navigator()->current());
    QCOMPARE(message->lines().size(), 2);
    QCOMPARE(message->lines().front(), QString::fromUtf8(kSwitchNameFailedText));
    QVERIFY(!message->lines().back().isEmpty());
    QCOMPARE(message->backTarget(), Target::kSwitchName);
    QCOMPARE(s.sw->record().systemName.get(), std::string("lab-edge_1"));
    Button(message, ids::result::kBack)->click();
    QVERIFY(qobject_cast<SwitchNameScreen*>(s.navigator()->current()) != nullptr);
    // Esc goes back to the main screen; its close button closes the frame.
    QTest::keyClick(s.navigator()->current(), Qt::Key_Escape);
    QVERIFY(qobject_cast<SwitchMainScreen*>(s.navigator()->current()) != nullptr);
    Button(s.navigator()->current(), ids::switch_main::kClose)->click();
    QVERIFY(!s.navigator()->frame()->isVisible());
    QCOMPARE(s.navigator()->openScreens(), std::size_t{0});
    QVERIFY(s.sim.page()->button(ids::top::kExport)->isEnabled());
  }

  void oneScreenOneJobAndClosingDropsTheResult() {
    Started s;
    QVERIFY(s.Go());
    QPointer<Screen> main = s.navigator()->current();
    QVERIFY(!s.sim.page()->button(ids::top::kExport)->isEnabled());
    SwitchNameScreen* name = s.OpenName();
    QVERIFY(name != nullptr);
    QCOMPARE(s.navigator()->openScreens(), std::size_t{1});
    QVERIFY(s.sim.WaitFor([&] { return main == nullptr; }, 2000));  // the first one went

    // "設定" twice: one job; nothing else opens while it runs.
    int results = 0;
    QObject::connect(&s.sim.app().bridge(), &CoreBridge::notice, [&](const Notice& notice) {
      if (notice.message == Notification::kApplyResult) ++results;
    });
    s.sim.peer().ClearLog();
    s.sim.peer().Control("fault edge delay 400");
    name->edit()->setText("slow");
    QPushButton* set = Button(name, ids::form::kSet);
    set->click();
    set->click();
    QTest::mouseClick(set, Qt::LeftButton);
    QCOMPARE(s.sw->applyJobsRunning(), std::size_t{1});
    QVERIFY(!s.navigator()->Open(Target::kSwitchMain, s.sw->ref()));

    // Closing the frame meanwhile: the job ends after its request, no result screen opens.
    QVERIFY(s.sim.WaitFor([&] { return NameSets(s.sim.peer()).size() == 1; }));
    s.navigator()->frame()->Close();
    QVERIFY(!s.navigator()->frame()->isVisible());
    QVERIFY(s.sim.WaitFor([&] { return results == 1 && s.sw->applyJobsRunning() == 0; }));
    QCOMPARE(NameSets(s.sim.peer()).size(), 1);
    QVERIFY(!s.navigator()->frame()->isVisible());
    QCOMPARE(s.navigator()->current(), nullptr);
    QVERIFY(s.sim.page()->button(ids::top::kExport)->isEnabled());
  }
};

QTEST_MAIN(ScreensTest)
#include "screens_test.moc"
