// The switch-wide screens over the simulator in process: the main screen's
// operations and its return to the factory state, and the loop-detection,
// mirroring and power-saving screens, each with the requests that reached
// the switch in order for a success and a failure.
#include <QTest>

#include "app/switch_service.h"
#include "app/vlan_table_edit.h"
#include "catalogue/function_descriptors.h"
#include "tests/ui/support/sim_window.h"
#include "ui/forms/screen_ids.h"
#include "ui/screens/loop_detection_screen.h"
#include "ui/screens/mirroring_screen.h"
#include "ui/screens/power_saving_screen.h"
#include "ui/screens/result_screens.h"
#include "ui/screens/screen_navigator.h"
#include "ui/screens/switch_main_screen.h"
#include "ui/style/text.h"

using namespace ntr;
using namespace ntr::ui;

namespace {

const char kNetwork[] =
    "switch core model=NTR7100-24G serial=T24G firmware=1.00\n"
    "switch edge model=NTR7100-8G serial=T8G firmware=1.00 uplink=core:3\n";

QPushButton* Button(QWidget* screen, const QString& id) {
  return screen->findChild<QPushButton*>(id);
}

// The sets and executions the edge switch received, as "keyword[ index]=value"
// ("=default" for a set to the default) and "keyword". The switch client sends
// only values that differ from its record.
QStringList Requests(test::SimPeer& peer) {
  QStringList requests;
  for (const auto& entry : peer.Log()) {
    if (entry.switchName != "edge" || entry.application != PduType::kFuncRequest ||
        entry.function.operation == kOpGet) {
      continue;
    }
    const FunctionDescriptor* function = FindFunctionById(entry.function.functionId);
    QString text = QString::fromUtf8(function == nullptr ? "?" : function->keyword.data());
    if (entry.function.operation == kOpExecute) {
      requests << text;
      continue;
    }
    if (entry.function.indexType != kIndexNone)
      text += QStringLiteral(" %1").arg(entry.function.firstIndex);
    requests << text + (entry.function.operation == kOpSetDefault
                            ? QStringLiteral("=default")
                            : QStringLiteral("=%1").arg(entry.function.intValue));
  }
  return requests;
}

struct Started {
  Started() : sim(kNetwork) {}
  bool Go() {
    if (!sim.Start() || !sim.WaitForReady(2)) return false;
    sw = sim.Switch("edge");
    return Main() != nullptr;
  }
  SwitchMainScreen* Main() {
    emit sim.app().screenRequested(sw->ref(), -1);
    return qobject_cast<SwitchMainScreen*>(navigator()->current());
  }
  ScreenNavigator* navigator() { return sim.app().screens(); }
  template <typename T>
  T* Open(const QString& button) {
    Button(navigator()->current(), button)->click();
    return qobject_cast<T*>(navigator()->current());
  }
  // Presses `button` of the current screen with an empty request log and
  // waits for the result (T) of its job.
  template <typename T>
  T* Apply(const QString& button) {
    sim.peer().ClearLog();
    Button(navigator()->current(), button)->click();
    if (!sim.WaitFor([&] { return qobject_cast<T*>(navigator()->current()) != nullptr; }, 8000)) {
      qWarning() << "now"
                 << (navigator()->current() ? navigator()->current()->metaObject()->className()
                                            : "none")
                 << Requests(sim.peer());
      return nullptr;
    }
    return qobject_cast<T*>(navigator()->current());
  }
  test::SimWindow sim;
  ManagedSwitch* sw = nullptr;
};

}  // namespace

class SwitchScreensTest : public QObject {
  Q_OBJECT

 private slots:
  void loopDetectionAndMirroringSendInOrder() {
    Started s;
    QVERIFY(s.Go());
    auto* loop = s.Open<LoopDetectionScreen>(ids::switch_main::kLoopDetection);
    QVERIFY(loop != nullptr);
    loop->countEdit()->setText("5");
    loop->secondsEdit()->setText("60");
    loop->shutDownChoice()->setChecked(true);
    auto* result = s.Apply<ResultScreen>(ids::form::kSet);
    QVERIFY(result != nullptr);
    QCOMPARE(Requests(s.sim.peer()),
             (QStringList{"loopdetect-count=5", "loopdetect-recovery-timer=60",
                          "loopdetect-linkdown=2"}));
    QCOMPARE(result->lines(), QStringList{QString::fromUtf8(kLoopDetectionAppliedText)});
    QCOMPARE(result->backTarget(), Target::kSwitchMain);

    // A refused request stops the rest; the message leads back to the screen.
    Button(result, ids::result::kBack)->click();
    loop = s.Open<LoopDetectionScreen>(ids::switch_main::kLoopDetection);
    QCOMPARE(loop->countEdit()->text(), QString("5"));
    s.sim.peer().Control("fault edge refuse loopdetect-recovery-timer 2 1");
    loop->countEdit()->setText("6");
    loop->secondsEdit()->setText("61");
    loop->noShutDownChoice()->setChecked(true);
    auto* message = s.Apply<MessageScreen>(ids::form::kSet);
    QVERIFY(message != nullptr);
    QCOMPARE(Requests(s.sim.peer()),
             (QStringList{"loopdetect-count=6", "loopdetect-recovery-timer=61"}));
    QCOMPARE(s.sw->record().loopCount.load(), 6);
    QCOMPARE(s.sw->record().loopRecoveryTime.load(), 60);
    QCOMPARE(message->lines().front(), QString::fromUtf8(kLoopDetectionFailedText));
    QCOMPARE(message->backTarget(), Target::kLoopDetection);
    Button(message, ids::result::kBack)->click();
    QVERIFY(qobject_cast<LoopDetectionScreen*>(s.navigator()->current()) != nullptr);

    // Mirroring: on, sniffer port 3, port 1 both ways, the others not monitored.
    QTest::keyClick(s.navigator()->current(), Qt::Key_Escape);
    auto* mirror = s.Open<MirroringScreen>(ids::switch_main::kMirroring);
    QVERIFY(mirror != nullptr);
    mirror->useChoice()->setCurrentIndex(0);
    mirror->snifferChoice()->setCurrentIndex(2);
    for (int p = 0; p < 8; ++p) mirror->directionChoice(p)->setCurrentIndex(p == 0 ? 3 : 0);
    result = s.Apply<ResultScreen>(ids::form::kSet);
    QVERIFY(result != nullptr);
    QCOMPARE(Requests(s.sim.peer()), (QStringList{"mirroring-use=1", "mirroring-dest=3",
                                                  "mirroring-src-rx 1=1", "mirroring-src-tx 1=1"}));
    QCOMPARE(s.sw->record().mirrorDestination.load(), 2);
    QCOMPARE(result->backTarget(), Target::kSwitchMain);
    Button(result, ids::result::kBack)->click();
    s.sim.peer().Control("fault edge refuse mirroring-dest 2 1");
    mirror = s.Open<MirroringScreen>(ids::switch_main::kMirroring);
    QCOMPARE(mirror->directionChoice(0)->currentIndex(), 3);
    mirror->useChoice()->setCurrentIndex(1);
    mirror->snifferChoice()->setCurrentIndex(4);
    mirror->directionChoice(0)->setCurrentIndex(0);
    message = s.Apply<MessageScreen>(ids::form::kSet);
    QVERIFY(message != nullptr);
    QCOMPARE(Requests(s.sim.peer()), (QStringList{"mirroring-use=default", "mirroring-dest=5"}));
    QCOMPARE(message->lines().front(), QString::fromUtf8(kMirroringFailedText));
    QCOMPARE(message->backTarget(), Target::kMirroring);
  }

  void powerSavingSendsOnlyAChange() {
    Started s;
    QVERIFY(s.Go());
    // The mode in force: the success at once, nothing sent.
    auto* power = s.Open<PowerSavingScreen>(ids::switch_main::kPowerSaving);
    QVERIFY(power != nullptr && power->normalChoice()->isChecked());
    auto* result = s.Apply<ResultScreen>(ids::form::kSet);
    QVERIFY(result != nullptr);
    QCOMPARE(result->lines(), QStringList{QString::fromUtf8(kPowerSavingAppliedText)});
    QCOMPARE(Requests(s.sim.peer()), QStringList{});

    // Economy: confirmed, then the LEDs and the mode.
    Button(result, ids::result::kBack)->click();
    power = s.Open<PowerSavingScreen>(ids::switch_main::kPowerSaving);
    power->economyChoice()->setChecked(true);
    auto* confirm = s.Open<PowerSavingConfirmScreen>(ids::form::kSet);
    QVERIFY(confirm != nullptr && confirm->economy());
    result = s.Apply<ResultScreen>(ids::power_saving::kYes);
    QVERIFY(result != nullptr);
    QCOMPARE(Requests(s.sim.peer()), (QStringList{"led-brightness=1", "energy-saving=1"}));
    QCOMPARE(result->backTarget(), Target::kSwitchMain);

    // Back to normal, the mode refused: the message leads back to the power-saving screen.
    QVERIFY(s.Main() != nullptr);
    power = s.Open<PowerSavingScreen>(ids::switch_main::kPowerSaving);
    QVERIFY(power->economyChoice()->isChecked());
    power->normalChoice()->setChecked(true);
    QVERIFY(s.Open<PowerSavingConfirmScreen>(ids::form::kSet) != nullptr);
    s.sim.peer().Control("fault edge refuse energy-saving 2 1");
    auto* message = s.Apply<MessageScreen>(ids::power_saving::kYes);
    QVERIFY(message != nullptr);
    QCOMPARE(Requests(s.sim.peer()),
             (QStringList{"led-brightness=default", "energy-saving=default"}));
    QCOMPARE(message->lines().front(), QString::fromUtf8(kPowerSavingFailedText));
    QCOMPARE(message->backTarget(), Target::kPowerSaving);
    Button(message, ids::result::kBack)->click();
    QVERIFY(qobject_cast<PowerSavingScreen*>(s.navigator()->current()) != nullptr);
  }

  void theOperationsRunAsJobs() {
    Started s;
    QVERIFY(s.Go());
    s.sw->record().portStatus[0].txFrames[0] = 42;
    s.sw->record().portStatus[0].rxOctets = 42;
    auto* result = s.Apply<ResultScreen>(ids::switch_main::kClearCounters);
    QVERIFY(result != nullptr);
    QCOMPARE(s.sim.answerer().messages.last(), QString::fromUtf8(kExecuteQuestion));
    QCOMPARE(Requests(s.sim.peer()), QStringList{"clear-counter"});
    QCOMPARE(result->title(), QString::fromUtf8(kCounterResetTitle));
    QCOMPARE(result->lines(), QStringList{ToQt(kCountersClearedText)});
    QCOMPARE(s.sw->record().portStatus[0].txFrames[0].load(), 0u);
    QCOMPARE(s.sw->record().portStatus[0].rxOctets.load(), 0u);

    // A refused restart: the message, back to the main screen.
    QVERIFY(s.Main() != nullptr);
    s.sim.peer().Control("fault edge refuse restart 2 1");
    auto* message = s.Apply<MessageScreen>(ids::switch_main::kRestart);
    QVERIFY(message != nullptr);
    QCOMPARE(Requests(s.sim.peer()), QStringList{"restart"});
    QCOMPARE(message->title(), QString::fromUtf8(kRestartTitle));
    QCOMPARE(message->lines().front(), QString::fromUtf8(kRestartFailedText));
    QCOMPARE(message->backTarget(), Target::kSwitchMain);

    // A restart: the frame closes, no result screen.
    QVERIFY(s.Main() != nullptr);
    s.sim.peer().ClearLog();
    Button(s.navigator()->current(), ids::switch_main::kRestart)->click();
    QVERIFY(s.sim.WaitFor([&] { return !s.navigator()->frame()->isVisible(); }));
    QCOMPARE(Requests(s.sim.peer()), QStringList{"restart"});
    QCOMPARE(s.navigator()->current(), nullptr);
  }

  void theFactoryResetSendsNothingAndListsKeptVlans() {
    Started s;
    QVERIFY(s.Go());
    ManagedSwitch* core = s.sim.Switch("core");
    auto& config = s.sim.app().app().config();
    for (const std::int32_t id : {10, 20}) config.SetVlanName(id);
    s.sw->record().vlanIds[9] = 10;
    s.sw->record().vlanIds[19] = 20;
    core->record().vlanIds[9] = 10;
    QVERIFY(s.Main() != nullptr);
    s.sim.peer().ClearLog();
    Button(s.navigator()->current(), ids::switch_main::kFactoryReset)->click();
    QCOMPARE(Requests(s.sim.peer()), QStringList{});
    auto* message = qobject_cast<MessageScreen*>(s.navigator()->current());
    QVERIFY(message != nullptr);
    QCOMPARE(s.sim.answerer().messages.last(), QString::fromUtf8(kFactoryResetQuestion));
    QCOMPARE(message->title(), QString::fromUtf8(kFactoryResetTitle));
    QCOMPARE(message->lines(),
             (QStringList{ToQt(kFactoryResetDoneText), ToQt(kVlanNamesKeptText), "10"}));
    QVERIFY(config.HasVlanName(10) && !config.HasVlanName(20));
    QCOMPARE(message->backTarget(), Target::kSwitchMain);

    // Long lists break before a line would pass 76 characters.
    std::vector<std::int32_t> many;
    for (std::int32_t id = 1000; id < 1030; ++id) many.push_back(id);
    const std::vector<std::string> lines = VlanIdListLines(many);
    QCOMPARE(lines.size(), std::size_t{3});
    for (const std::string& line : lines) QVERIFY(line.size() <= 76);
    QVERIFY(lines.front().starts_with("1000, 1001") && lines.back().ends_with("1029"));
  }
};

QTEST_MAIN(SwitchScreensTest)
#include "switch_screens_test.moc"
