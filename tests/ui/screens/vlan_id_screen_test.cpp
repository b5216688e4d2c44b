// The VLAN ID screen over the simulator in process, two switches sharing VLAN
// 30: a bad new ID sends nothing, an added VLAN only changes the table and
// the file, a refused deletion reports this screen's failure, and deleting a VLAN this switch uses
// on ports sends the removals in order and keeps the name that the other switch still needs.
#include <QTest>
#include <fstream>
#include <iterator>

#include "app/switch_service.h"
#include "catalogue/function_descriptors.h"
#include "config/config_writer.h"
#include "tests/ui/support/sent_sets.h"
#include "tests/ui/support/sim_window.h"
#include "ui/forms/screen_ids.h"
#include "ui/screens/result_screens.h"
#include "ui/screens/screen_navigator.h"
#include "ui/screens/vlan_id_screen.h"
#include "ui/style/text.h"

using namespace ntr;
using namespace ntr::ui;

namespace {

const char kNetwork[] = "switch a model=NTR7100-8G\nswitch b model=NTR7100-8G\n";

QPushButton* Button(QWidget* screen, const QString& id) {
  return screen->findChild<QPushButton*>(id);
}

// Runs `changes` on the switch as a screen would and waits for its end.
bool Prepare(ManagedSwitch* sw, std::vector<SettingChange> changes) {
  ErrorPair error;
  if (sw->StartApply(std::move(changes), error) == 0) return false;
  return test::SimWindow::WaitFor([&] { return sw->applyJobsRunning() == 0; });
}

}  // namespace

class VlanIdScreenTest : public QObject {
  Q_OBJECT

 private slots:
  void checksAddsAndDeletes() {
    test::SimWindow sim{kNetwork};
    QVERIFY(sim.Start() && sim.WaitForReady(2));
    ManagedSwitch* a = sim.Switch("a");
    ManagedSwitch* b = sim.Switch("b");
    // VLAN 30 in a's slot 2: access VLAN of port 3, trunk member on port 6; b has it in slot 4.
    QVERIFY(Prepare(
        a, {SettingChange::Set(Function::kVlanId, FunctionIndex::Registration(1), 30),
            SettingChange::Set(Function::kVlanAccess, FunctionIndex::Port(2), 1),
            SettingChange::Set(Function::kVlanTrunk, FunctionIndex::PortRegistration(5, 1), 1)}));
    QVERIFY(
        Prepare(b, {SettingChange::Set(Function::kVlanId, FunctionIndex::Registration(3), 30)}));
    ConfigStore& config = sim.app().app().config();
    QVERIFY(config.SetVlanName(30, "thirty"));
    const std::vector<VlanName> before = config.VlanNames();

    ScreenNavigator* screens = sim.app().screens();
    const auto open = [&] {
      emit sim.app().screenRequested(a->ref(), -1);
      Button(screens->current(), ids::switch_main::kVlanIds)->click();
      return qobject_cast<VlanIdScreen*>(screens->current());
    };
    const auto set = [&](Screen* screen) {
      sim.peer().ClearLog();
      Button(screen, ids::vlan_id::kSet)->click();
      return test::SimWindow::WaitFor([&] { return screens->current() != screen; });
    };

    // A bad new ID: the message, nothing sent, the deletion checked beside it not made.
    auto* screen = open();
    QVERIFY(screen != nullptr);
    QCOMPARE(screen->rowCount(), 2);
    QVERIFY(!screen->nameEdit(0)->isEnabled() && screen->deleteCheck(0) == nullptr);
    QCOMPARE(screen->nameEdit(1)->text(), QStringLiteral("thirty"));
    screen->deleteCheck(1)->setChecked(true);
    screen->addCheck()->setChecked(true);
    screen->newIdEdit()->setText("4095");
    QVERIFY(set(screen));
    auto* message = qobject_cast<MessageScreen*>(screens->current());
    QVERIFY(message != nullptr);
    QCOMPARE(message->title(), QString::fromUtf8(kVlanIdMessageTitle));
    QCOMPARE(message->lines(),
             (QStringList{QString::fromUtf8(kBadParameterText),
                          QStringLiteral("IDが範囲外です（VLAN IDの範囲は2～4094です）")}));
    QCOMPARE(message->backTarget(), Target::kVlanIds);
    QCOMPARE(test::SentSets(sim.peer()), QStringList{});
    QCOMPARE(config.VlanNames(), before);

    // Adding: only the table and the file change.
    Button(message, ids::result::kBack)->click();
    screen = qobject_cast<VlanIdScreen*>(screens->current());
    QVERIFY(screen != nullptr);
    screen->addCheck()->setChecked(true);
    screen->newIdEdit()->setText("50");
    screen->newNameEdit()->setText("fifty");
    QVERIFY(set(screen));
    auto* result = qobject_cast<ResultScreen*>(screens->current());
    QVERIFY(result != nullptr);
    QCOMPARE(result->lines(), QStringList{QString::fromUtf8(kVlanIdAppliedText)});
    QCOMPARE(result->backTarget(), Target::kSwitchMain);
    QCOMPARE(test::SentSets(sim.peer()), QStringList{});
    QCOMPARE(config.GetVlanName(50), std::string("fifty"));
    std::ifstream file(ConfigFilePath(), std::ios::binary);
    QVERIFY(std::string(std::istreambuf_iterator<char>(file), {}).find("fifty") !=
            std::string::npos);

    // A deletion the switch refuses: this screen's failure, back to it, the table unchanged.
    screen = open();
    QVERIFY(screen != nullptr);
    screen->deleteCheck(1)->setChecked(true);
    sim.peer().Control("fault a refuse vlan-access 3 1");
    QVERIFY(set(screen));
    message = qobject_cast<MessageScreen*>(screens->current());
    QVERIFY(message != nullptr);
    QCOMPARE(message->title(), QString::fromUtf8(kVlanIdMessageTitle));
    QCOMPARE(message->lines().size(), 2);
    QCOMPARE(message->lines()[0], QStringLiteral("VLAN IDの設定に失敗しました。"));
    QCOMPARE(message->backTarget(), Target::kVlanIds);
    QVERIFY(config.HasVlanName(30) && UsesVlanId(a->record(), 30));

    // Deleting 30 from a: its ports leave it, then its slot is freed; b keeps it named.
    screen = open();
    QVERIFY(screen != nullptr && screen->rowCount() == 3);
    screen->deleteCheck(1)->setChecked(true);
    QVERIFY(set(screen));
    message = qobject_cast<MessageScreen*>(screens->current());
    QVERIFY(message != nullptr);
    QCOMPARE(test::SentSets(sim.peer()),
             (QStringList{"vlan-access 3=default", "vlan-trunk 6 2=default", "vlan-id 2=default"}));
    QCOMPARE(message->lines(), (QStringList{ToQt(kVlanNamesKeptText), "30"}));
    QCOMPARE(message->backTarget(), Target::kSwitchMain);
    QVERIFY(!UsesVlanId(a->record(), 30) && config.HasVlanName(30));
  }
};

QTEST_MAIN(VlanIdScreenTest)
#include "vlan_id_screen_test.moc"
