// The tagged-VLAN screen of a port over the simulator in process: what it
// offers, the requests of joining and leaving VLANs in order with the slots
// they take and free on the switch, and the refusal of a trunk port towards
// a neighbouring switch.
#include <QTest>

#include "catalogue/function_descriptors.h"
#include "tests/ui/support/sent_sets.h"
#include "tests/ui/support/sim_window.h"
#include "ui/forms/screen_ids.h"
#include "ui/screens/port_screen.h"
#include "ui/screens/result_screens.h"
#include "ui/screens/screen_navigator.h"
#include "ui/screens/tagged_vlan_screen.h"

using namespace ntr;
using namespace ntr::ui;

namespace {

// The edge switch hangs off port 3 of the core switch.
const char kNetwork[] =
    "switch core model=NTR7100-24G serial=T24\n"
    "switch edge model=NTR7100-8G serial=T8G uplink=core:3\n";

QPushButton* Button(QWidget* screen, const QString& id) {
  return screen->findChild<QPushButton*>(id);
}

struct Network {
  ScreenNavigator* navigator() { return sim.app().screens(); }
  template <typename T>
  T* Current() {
    return qobject_cast<T*>(navigator()->current());
  }
  TaggedVlanScreen* Open(int port) {
    emit sim.app().screenRequested(sim.Switch("core")->ref(), port);
    if (Current<PortScreen>() == nullptr) return nullptr;
    Button(navigator()->current(), ids::port::kTaggedVlan)->click();
    return Current<TaggedVlanScreen>();
  }
  // "設定", then the screen that follows it.
  Screen* Apply(Screen* screen) {
    sim.peer().ClearLog();
    Button(screen, ids::form::kSet)->click();
    if (!test::SimWindow::WaitFor([&] { return navigator()->current() != screen; })) return nullptr;
    return navigator()->current();
  }
  std::int32_t Slot(int slot) {
    return sim.peer().With([&](sim::SimNetwork& net) {
      return net.Find("core")->record().vlanIds[static_cast<std::size_t>(slot)].load();
    });
  }
  PortSettings Port(int port) {
    return sim.peer().With([&](sim::SimNetwork& net) {
      return net.Find("core")->record().ports[static_cast<std::size_t>(port)];
    });
  }
  test::SimWindow sim{kNetwork};
};

}  // namespace

class TaggedVlanScreenTest : public QObject {
  Q_OBJECT

 private slots:
  void joinsAndLeavesVlansTakingAndFreeingSlots() {
    Network n;
    QVERIFY(n.sim.Start() && n.sim.WaitForReady(2));
    QVERIFY(n.sim.app().app().config().SetVlanName(10, std::string_view("office")));
    QVERIFY(n.sim.app().app().config().SetVlanName(300, std::string_view("lab")));

    TaggedVlanScreen* screen = n.Open(4);
    QVERIFY(screen != nullptr);
    QCOMPARE(screen->title(), QStringLiteral("タグVLANの設定"));
    QCOMPARE(screen->modeChoice()->currentIndex(), 0);
    QCOMPARE(screen->accessChoice()->count(), 4);
    QCOMPARE(screen->accessChoice()->itemText(0), QStringLiteral("なし"));
    QCOMPARE(screen->accessChoice()->currentText(), QStringLiteral("default[VID=1]"));
    QVERIFY(screen->trunkCheck(1) == nullptr);
    QCOMPARE(screen->trunkCheck(300)->text(), QStringLiteral("lab[VID=300]"));
    QVERIFY(!screen->trunkCheck(10)->isChecked());

    // VLAN 10 lands in slot 9, VLAN 300 in the first free slot.
    screen->modeChoice()->setCurrentIndex(1);
    screen->accessChoice()->setCurrentIndex(2);
    screen->trunkCheck(10)->setChecked(true);
    screen->trunkCheck(300)->setChecked(true);
    auto* result = qobject_cast<ResultScreen*>(n.Apply(screen));
    QVERIFY(result != nullptr);
    QCOMPARE(test::SentSets(n.sim.peer(), "core"),
             (QStringList{"vlan-port-mode 5=1", "vlan-id 10=default", "vlan-access 5=10",
                          "vlan-trunk 5 10=1", "vlan-id 2=300", "vlan-trunk 5 2=1"}));
    QCOMPARE(result->lines(), QStringList{QString::fromUtf8(kTaggedVlanAppliedText)});
    QCOMPARE(result->backTarget(), Target::kPort);
    // Slot 9 holding VLAN 10 counts as its default and went as set-default: the tool's record holds
    // it.
    QCOMPARE(n.sim.Switch("core")->record().vlanIds[9].load(), 10);
    QCOMPARE(n.Slot(1), 300);
    QCOMPARE(n.Port(4).accessVlanEntry.load(), 9);
    QCOMPARE(n.Port(4).trunk[9].load(), 1);
    QCOMPARE(n.Port(4).trunk[1].load(), 1);
    QCOMPARE(n.Port(4).vlanMode.load(), 1);

    // No access VLAN and out of VLAN 300: its slot is free again, VLAN 10's stays for the trunk.
    screen = n.Open(4);
    QVERIFY(screen != nullptr);
    QCOMPARE(screen->modeChoice()->currentIndex(), 1);
    QCOMPARE(screen->accessChoice()->currentText(), QStringLiteral("office[VID=10]"));
    QVERIFY(screen->trunkCheck(10)->isChecked() && screen->trunkCheck(300)->isChecked());
    screen->accessChoice()->setCurrentIndex(0);
    screen->trunkCheck(300)->setChecked(false);
    result = qobject_cast<ResultScreen*>(n.Apply(screen));
    QVERIFY(result != nullptr);
    QCOMPARE(test::SentSets(n.sim.peer(), "core"),
             (QStringList{"vlan-access 5=default", "vlan-trunk 5 2=default", "vlan-id 2=default"}));
    QCOMPARE(n.Slot(1), 1);
    QCOMPARE(n.sim.Switch("core")->record().vlanIds[9].load(), 10);
    QCOMPARE(n.Port(4).accessVlanEntry.load(), 0);
    QCOMPARE(n.Port(4).trunk[1].load(), 0);
  }

  void aNeighboursPortIsNoTrunkPort() {
    Network n;
    QVERIFY(n.sim.Start() && n.sim.WaitForReady(2));
    TaggedVlanScreen* screen = n.Open(2);
    QVERIFY(screen != nullptr);
    screen->modeChoice()->setCurrentIndex(1);
    auto* message = qobject_cast<MessageScreen*>(n.Apply(screen));
    QVERIFY(message != nullptr);
    QCOMPARE(message->lines(), (QStringList{QString::fromUtf8(kTaggedVlanFailedText),
                                            QString::fromUtf8(kNeighbourTrunkText)}));
    QVERIFY(test::SentSets(n.sim.peer(), "core").isEmpty());
    Button(message, ids::result::kBack)->click();
    QVERIFY(n.Current<TaggedVlanScreen>() != nullptr);
  }
};

QTEST_MAIN(TaggedVlanScreenTest)
#include "tagged_vlan_screen_test.moc"
