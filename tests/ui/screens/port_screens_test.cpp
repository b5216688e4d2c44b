// The port screen and the port's edit screens over the simulator in process:
// what they show, the requests each apply sends in order (a success and a
// failure per screen), their back targets, and the QoS unit rule of the
// 24-port model.
#include <QTest>

#include "catalogue/function_descriptors.h"
#include "tests/ui/support/sim_window.h"
#include "ui/forms/screen_ids.h"
#include "ui/screens/frame_counter_screen.h"
#include "ui/screens/port_basic_screen.h"
#include "ui/screens/port_qos_screen.h"
#include "ui/screens/port_screen.h"
#include "ui/screens/power_class_screen.h"
#include "ui/screens/result_screens.h"
#include "ui/screens/screen_navigator.h"
#include "ui/top_page/top_page_ids.h"

using namespace ntr;
using namespace ntr::ui;

namespace {

// A 24-port switch with an 8-port one behind its port 3 (a host on its port 2), and a PoE switch.
const char kNetwork[] =
    "switch core model=NTR7100-24G serial=T24\n"
    "switch edge model=NTR7100-8G serial=T8G uplink=core:3\n"
    "switch poe model=NTR7100-8PoE serial=TPOE\n"
    "host edge:2 00:A0:DE:00:00:02\n";

QPushButton* Button(QWidget* screen, const QString& id) {
  return screen->findChild<QPushButton*>(id);
}

// The sets a switch received, in order, as "keyword=value" ("default" for a set to the default).
QStringList Sets(test::SimPeer& peer, const std::string& name) {
  QStringList sets;
  for (const auto& entry : peer.Log()) {
    if (entry.switchName != name || entry.application != PduType::kFuncRequest) continue;
    const auto& f = entry.function;
    if (f.operation != kOpSet && f.operation != kOpSetDefault) continue;
    const FunctionDescriptor* function = FindFunctionById(f.functionId);
    sets << QStringLiteral("%1=%2").arg(
        function == nullptr ? QString::number(f.functionId)
                            : QString::fromUtf8(function->keyword.data(),
                                                static_cast<qsizetype>(function->keyword.size())),
        f.operation == kOpSetDefault ? QStringLiteral("default") : QString::number(f.intValue));
  }
  return sets;
}

struct Network {
  bool Go() { return sim.Start() && sim.WaitForReady(3); }
  ScreenNavigator* navigator() { return sim.app().screens(); }
  template <typename T>
  T* Current() {
    return qobject_cast<T*>(navigator()->current());
  }
  // The port screen by double click, then the edit screen behind `button`.
  template <typename T>
  T* Open(const std::string& name, int port, const QString& button) {
    emit sim.app().screenRequested(sim.Switch(name)->ref(), port);
    if (Current<PortScreen>() == nullptr) return nullptr;
    Button(navigator()->current(), button)->click();
    return Current<T>();
  }
  // Applies the screen and waits for its result or message screen.
  template <typename T>
  T* Apply(Screen* screen) {
    sim.peer().ClearLog();
    Button(screen, ids::form::kSet)->click();
    if (!test::SimWindow::WaitFor([&] { return Current<T>() != nullptr; })) return nullptr;
    return Current<T>();
  }
  test::SimWindow sim{kNetwork};
};

}  // namespace

class PortScreensTest : public QObject {
  Q_OBJECT

 private slots:
  void thePortScreenShowsEachModelAndWatchesTheLoop() {
    Network n;
    QVERIFY(n.Go());
    emit n.sim.app().screenRequested(n.sim.Switch("edge")->ref(), 1);
    auto* port = n.Current<PortScreen>();
    QVERIFY(port != nullptr);
    QCOMPARE(port->title(), QStringLiteral("スイッチポート2の設定"));
    QVERIFY(port->rows().contains(QStringLiteral("速度\tオートネゴシエーション")));
    QVERIFY(port->rows().contains(QStringLiteral("ループ検出機能\t使用する[正常]")));
    QVERIFY(!port->rows().contains(QStringLiteral("送信シェーピング\t使用しない")));
    QVERIFY(Button(port, ids::port::kPowerClass) == nullptr &&
            Button(port, ids::port::kClose) != nullptr);
    QVERIFY(!n.sim.page()->button(ids::top::kExport)->isEnabled());

    n.sim.peer().Control("loop edge 2 on");
    QVERIFY(n.sim.WaitFor([&] {
      ErrorPair error;
      n.sim.Switch("edge")->settings().RequestPoll(error);
      return port->rows().contains(QStringLiteral("ループ検出機能\t使用する[ループ発生！]"));
    }));

    // VLANs by name and ID: port 5 of core in the default VLAN and a trunk member of VLAN 30.
    ManagedSwitch* core = n.sim.Switch("core");
    ErrorPair error;
    QVERIFY(
        core->StartApply(
            {SettingChange::Set(Function::kVlanId, FunctionIndex::Registration(1), 30),
             SettingChange::Set(Function::kVlanTrunk, FunctionIndex::PortRegistration(4, 1), 1)},
            error) != 0);
    QVERIFY(n.sim.WaitFor([&] { return core->applyJobsRunning() == 0; }));
    QVERIFY(n.sim.app().app().config().SetVlanName(30, "thirty"));
    emit n.sim.app().screenRequested(core->ref(), 4);
    port = n.Current<PortScreen>();
    QVERIFY(port != nullptr &&
            port->rows().contains(QStringLiteral("送信シェーピング\t使用しない")));
    QVERIFY(port->rows().contains(QStringLiteral("アクセスVLAN ID\tdefault[VID=1]")));
    QVERIFY(port->rows().contains(QStringLiteral("トランクVLAN ID\tthirty[VID=30]")));
    QCOMPARE(port->rows().filter(QStringLiteral("フレーム カウンタ")).size(), 10);
    emit n.sim.app().screenRequested(n.sim.Switch("poe")->ref(), 0);
    port = n.Current<PortScreen>();
    QVERIFY(port != nullptr && Button(port, ids::port::kPowerClass) != nullptr);
    Button(port, ids::port::kClose)->click();
    QVERIFY(!n.navigator()->frame()->isVisible());
    QVERIFY(n.sim.page()->button(ids::top::kExport)->isEnabled());
  }

  void theBasicScreenAppliesInOrderAndKeepsANeighboursPortInUse() {
    Network n;
    QVERIFY(n.Go());
    QCOMPARE(n.sim.Switch("core")->record().neighbourPresent[2].load(), 1);
    auto* basic = n.Open<PortBasicScreen>("core", 2, ids::port::kBasic);
    QVERIFY(basic != nullptr);
    QVERIFY(basic->use()->ItemEnabled(0) && !basic->use()->ItemEnabled(1));

    basic = n.Open<PortBasicScreen>("core", 4, ids::port::kBasic);
    QVERIFY(basic != nullptr && basic->use()->ItemEnabled(1));
    basic->speed()->setCurrentIndex(4);
    basic->flowControl()->setCurrentIndex(0);
    basic->blockData()->setCurrentIndex(0);
    auto* result = n.Apply<ResultScreen>(basic);
    QVERIFY(result != nullptr);
    QCOMPARE(Sets(n.sim.peer(), "core"),
             (QStringList{"port-speed=5", "port-flow-control=1", "port-blocking-data-packet=1"}));
    QCOMPARE(result->lines(), QStringList{QString::fromUtf8(kPortBasicAppliedText)});
    Button(result, ids::result::kBack)->click();
    QVERIFY(n.Current<PortScreen>() != nullptr && n.Current<PortScreen>()->port() == 4);

    n.sim.peer().Control("fault core refuse port-flow-control 2");
    basic = n.Open<PortBasicScreen>("core", 4, ids::port::kBasic);
    basic->speed()->setCurrentIndex(0);
    basic->flowControl()->setCurrentIndex(1);
    basic->blockData()->setCurrentIndex(1);
    auto* message = n.Apply<MessageScreen>(basic);
    QVERIFY(message != nullptr);
    QCOMPARE(Sets(n.sim.peer(), "core"),
             (QStringList{"port-speed=default", "port-flow-control=default"}));
    QCOMPARE(message->lines().front(), QString::fromUtf8(kPortBasicFailedText));
    QCOMPARE(message->backTarget(), Target::kPortBasic);
    Button(message, ids::result::kBack)->click();
    QVERIFY(n.Current<PortBasicScreen>() != nullptr);
    QTest::keyClick(n.navigator()->current(), Qt::Key_Escape);
    QVERIFY(n.Current<PortScreen>() != nullptr);
  }

  void theQosScreenKeepsOneSpeedUnitPerSwitch() {
    Network n;
    QVERIFY(n.Go());
    auto* qos = n.Open<PortQosScreen>("core", 4, ids::port::kQos);
    QVERIFY(qos != nullptr && qos->shaping() != nullptr);
    // 128kbps needs another unit than 1Mbps: chosen anyway, nothing is sent.
    qos->shaping()->setCurrentIndex(1);
    QVERIFY(!qos->policing()->ItemEnabled(3) && qos->policing()->ItemEnabled(2) &&
            qos->policing()->ItemEnabled(0));
    qos->policing()->setCurrentIndex(3);
    auto* message = n.Apply<MessageScreen>(qos);
    QVERIFY(message != nullptr);
    QCOMPARE(message->lines(), (QStringList{QString::fromUtf8(kPortQosFailedText),
                                            QString::fromUtf8(kQosUnitMismatchText)}));
    QCOMPARE(message->backTarget(), Target::kPortQos);
    QVERIFY(Sets(n.sim.peer(), "core").isEmpty());

    // Success: remarking, the unit of 5Mbps, then shaping.
    Button(message, ids::result::kBack)->click();
    qos = n.Current<PortQosScreen>();
    qos->remark()->setCurrentIndex(2);
    qos->shaping()->setCurrentIndex(4);
    auto* result = n.Apply<ResultScreen>(qos);
    QVERIFY(result != nullptr);
    QCOMPARE(Sets(n.sim.peer(), "core"),
             (QStringList{"qos-dscp-remark-type=1", "qos-dscp-remark-class=3", "qos-speed-unit=1",
                          "qos-shaping-use=1", "qos-shaping-speed=5"}));
    QCOMPARE(result->backTarget(), Target::kPort);

    // Another port: rates of another unit are refused against port 5's.
    qos = n.Open<PortQosScreen>("core", 6, ids::port::kQos);
    QVERIFY(!qos->policing()->ItemEnabled(1) && qos->policing()->ItemEnabled(5));
    qos->policing()->setCurrentIndex(1);
    QVERIFY(n.Apply<MessageScreen>(qos) != nullptr);
    QVERIFY(Sets(n.sim.peer(), "core").isEmpty());

    // A rate outside the table shows as "-" and stays when "-" stays chosen.
    PortSettings& odd = n.sim.Switch("core")->record().ports[7];
    odd.policingUse = 1;
    odd.policingSelection = kNoSelection;
    odd.policingRate = 3;
    qos = n.Open<PortQosScreen>("core", 7, ids::port::kQos);
    QCOMPARE(qos->policing()->currentText(), QStringLiteral("-"));
    QVERIFY(qos->policing()->ItemEnabled(qos->policing()->count() - 1));
    qos->remark()->setCurrentIndex(4);
    QVERIFY(n.Apply<ResultScreen>(qos) != nullptr);
    QCOMPARE(Sets(n.sim.peer(), "core"),
             (QStringList{"qos-dscp-remark-type=1", "qos-dscp-remark-class=1"}));

    // A failure stops at the refused request.
    n.sim.peer().Control("fault core refuse qos-dscp-remark-class 2");
    qos = n.Open<PortQosScreen>("core", 4, ids::port::kQos);
    qos->remark()->setCurrentIndex(1);
    qos->shaping()->setCurrentIndex(0);
    message = n.Apply<MessageScreen>(qos);
    QVERIFY(message != nullptr);
    QCOMPARE(Sets(n.sim.peer(), "core"), QStringList{"qos-dscp-remark-class=4"});
    QCOMPARE(message->backTarget(), Target::kPortQos);
  }

  void theFrameCounterScreenSendsTransmitThenReceive() {
    Network n;
    QVERIFY(n.Go());
    auto* counters = n.Open<FrameCounterScreen>("edge", 1, ids::port::kFrameCounter);
    QVERIFY(counters != nullptr);
    QCOMPARE(counters->transmit().size(), std::size_t{3});
    counters->receive()[1]->setCurrentIndex(5);
    counters->transmit()[0]->setCurrentIndex(18);
    auto* result = n.Apply<ResultScreen>(counters);
    QVERIFY(result != nullptr);
    QCOMPARE(Sets(n.sim.peer(), "edge"),
             (QStringList{"counter-frame-tx-type=26", "counter-frame-rx-type=5"}));

    n.sim.peer().Control("fault edge refuse counter-frame-tx-type 2");
    counters = n.Open<FrameCounterScreen>("edge", 1, ids::port::kFrameCounter);
    counters->transmit()[2]->setCurrentIndex(1);
    counters->receive()[0]->setCurrentIndex(1);
    auto* message = n.Apply<MessageScreen>(counters);
    QVERIFY(message != nullptr);
    QCOMPARE(Sets(n.sim.peer(), "edge"), QStringList{"counter-frame-tx-type=1"});
    QCOMPARE(message->lines().front(), QString::fromUtf8(kFrameCounterFailedText));
    QCOMPARE(message->backTarget(), Target::kFrameCounter);
  }

  void thePowerClassScreenReturnsToThePortScreenEitherWay() {
    Network n;
    QVERIFY(n.Go());
    auto* power = n.Open<PowerClassScreen>("poe", 1, ids::port::kPowerClass);
    QVERIFY(power != nullptr);
    QVERIFY(!power->powerClass()->ItemEnabled(2));  // class 4 only on odd-numbered ports
    power = n.Open<PowerClassScreen>("poe", 0, ids::port::kPowerClass);
    QVERIFY(power->powerClass()->ItemEnabled(2));
    power->powerClass()->setCurrentIndex(0);
    auto* result = n.Apply<ResultScreen>(power);
    QVERIFY(result != nullptr);
    QCOMPARE(Sets(n.sim.peer(), "poe"), QStringList{"poe-class=0"});
    QCOMPARE(result->lines(), QStringList{QString::fromUtf8(kPowerClassAppliedText)});
    Button(result, ids::result::kBack)->click();
    QVERIFY(n.Current<PortScreen>() != nullptr);

    n.sim.peer().Control("fault poe refuse poe-class 2");
    power = n.Open<PowerClassScreen>("poe", 0, ids::port::kPowerClass);
    power->powerClass()->setCurrentIndex(1);
    auto* message = n.Apply<MessageScreen>(power);
    QVERIFY(message != nullptr);
    QCOMPARE(Sets(n.sim.peer(), "poe"), QStringList{"poe-class=4"});
    QCOMPARE(message->lines().front(), QString::fromUtf8(kPowerClassFailedText));
    Button(message, ids::result::kBack)->click();
    QVERIFY(n.Current<PortScreen>() != nullptr && n.Current<PortScreen>()->port() == 0);
  }
};

QTEST_MAIN(PortScreensTest)
#include "port_screens_test.moc"
