// The firmware screens over the simulator in process: a whole update that
// ends on the restart-wait screen (with the completion text) and leaves it
// when the switch is back, a file that cannot be opened, and the abort while
// the switch answers "pending" (shown as the preparation).
#include <QTest>
#include <fstream>

#include "app/switch_service.h"
#include "sim/firmware_image.h"
#include "tests/ui/support/sim_window.h"
#include "ui/forms/screen_ids.h"
#include "ui/screens/firmware_progress_screen.h"
#include "ui/screens/firmware_texts.h"
#include "ui/screens/firmware_update_screen.h"
#include "ui/screens/restart_wait_screen.h"
#include "ui/screens/screen_navigator.h"
#include "ui/screens/switch_main_screen.h"
#include "ui/style/text.h"

using namespace ntr;
using namespace ntr::ui;

namespace {

const char kNetwork[] = "switch fw model=NTR7100-8G serial=TFW firmware=1.00 restart-ms=300\n";

QPushButton* Button(QWidget* screen, const QString& id) {
  return screen->findChild<QPushButton*>(id);
}

// The firmware requests (prepare, blocks, abort) the switch received.
std::vector<PduType> FirmwareRequests(test::SimPeer& peer) {
  std::vector<PduType> requests;
  for (const auto& entry : peer.Log()) {
    if (entry.application == PduType::kFirmPrepare || entry.application == PduType::kFirmBlock ||
        entry.application == PduType::kFirmAbort) {
      requests.push_back(entry.application);
    }
  }
  return requests;
}

struct Started {
  Started() : sim(kNetwork) {}
  ScreenNavigator* navigator() { return sim.app().screens(); }
  // The firmware screen of the switch, from its main screen.
  FirmwareUpdateScreen* Go() {
    if (!sim.Start() || !sim.WaitForReady(1)) return nullptr;
    emit sim.app().screenRequested(sim.Switch("fw")->ref(), -1);
    if (qobject_cast<SwitchMainScreen*>(navigator()->current()) == nullptr) return nullptr;
    Button(navigator()->current(), ids::switch_main::kFirmware)->click();
    return qobject_cast<FirmwareUpdateScreen*>(navigator()->current());
  }
  // A valid image of revision 2.00 with `body` bytes.
  QString Image(std::size_t body) {
    const std::vector<std::uint8_t> image =
        sim::BuildFirmwareImage("2.00", std::vector<std::uint8_t>(body, 7));
    const auto path = sim.root() / "fw.bin";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    return ToQt(path.string());
  }
  template <typename T>
  T* WaitFor() {
    sim.WaitFor([&] { return qobject_cast<T*>(navigator()->current()) != nullptr; });
    return qobject_cast<T*>(navigator()->current());
  }
  test::SimWindow sim;
};

}  // namespace

class FirmwareScreensTest : public QObject {
  Q_OBJECT

 private slots:
  void updateEndsOnTheRestartWaitWhichLeavesWhenTheSwitchIsBack() {
    Started s;
    FirmwareUpdateScreen* update = s.Go();
    QVERIFY(update != nullptr);
    const SwitchRef before = s.sim.Switch("fw")->ref();
    update->pathEdit()->setText(
        s.Image(1500));  // 1580 bytes: blocks 0 to 3, then the empty block 4
    s.sim.peer().ClearLog();
    Button(update, ids::firmware_update::kRun)->click();
    QVERIFY(qobject_cast<FirmwareProgressScreen*>(s.navigator()->current()) != nullptr);

    auto* wait = s.WaitFor<RestartWaitScreen>();
    QVERIFY(wait != nullptr);
    QCOMPARE(wait->lines(),
             (QStringList{ToQt(kFirmwareDoneText), QString::fromUtf8(kRestartWaitText)}));
    QCOMPARE(Button(wait, ids::result::kBack)->text(), QString("閉じる"));
    QVERIFY(!s.navigator()->applying());
    const std::vector<PduType> sent = FirmwareRequests(s.sim.peer());
    QVERIFY(!sent.empty() && sent.front() == PduType::kFirmPrepare);
    QCOMPARE(std::count(sent.begin(), sent.end(), PduType::kFirmBlock), 5);

    // Back with its new revision, read again: its main screen opens by itself.
    auto* main = s.WaitFor<SwitchMainScreen>();
    QVERIFY(main != nullptr);
    QCOMPARE(main->switchRef().mac, before.mac);
    QVERIFY(main->switchRef().generation != before.generation);
    QCOMPARE(s.sim.Switch("fw")->record().firmwareRevision.get(), std::string("2.00"));
  }

  void aFileThatCannotBeOpenedSendsNothing() {
    Started s;
    FirmwareUpdateScreen* update = s.Go();
    QVERIFY(update != nullptr);
    update->pathEdit()->setText(ToQt((s.sim.root() / "missing.bin").string()));
    s.sim.peer().ClearLog();
    Button(update, ids::firmware_update::kRun)->click();
    auto* message = qobject_cast<MessageScreen*>(s.navigator()->current());
    QVERIFY(message != nullptr);
    QCOMPARE(message->title(), QString("ファームウェアの更新"));
    QCOMPARE(message->lines(),
             (QStringList{"ファームウェアの更新に失敗しました", "ファイルがオープンできません。"}));
    QCOMPARE(message->backTarget(), Target::kSwitchMain);
    QVERIFY(FirmwareRequests(s.sim.peer()).empty());
    Button(message, ids::result::kBack)->click();
    QVERIFY(qobject_cast<SwitchMainScreen*>(s.navigator()->current()) != nullptr);
  }

  void abortEndsWithTheAbortedText() {
    Started s;
    FirmwareUpdateScreen* update = s.Go();
    QVERIFY(update != nullptr);
    s.sim.peer().Control("set fw prepare-pending 1000");
    update->pathEdit()->setText(s.Image(100));
    s.sim.peer().ClearLog();
    Button(update, ids::firmware_update::kRun)->click();
    auto* progress = qobject_cast<FirmwareProgressScreen*>(s.navigator()->current());
    QVERIFY(progress != nullptr);
    // While it runs the window stays and nothing else opens.
    QVERIFY(s.navigator()->applying());
    QVERIFY(!s.sim.app().window()->close());
    QVERIFY(!s.navigator()->Open(Target::kSwitchMain, s.sim.Switch("fw")->ref()));

    // Abort once the switch has answered the first prepare ("pending"),
    // which the screen shows as the preparation.
    QVERIFY(s.sim.WaitFor([&] { return !FirmwareRequests(s.sim.peer()).empty(); }));
    QTRY_COMPARE(progress->text(), QString("ファームウェアの更新準備中です"));
    Button(progress, ids::firmware_progress::kAbort)->click();
    auto* message = s.WaitFor<MessageScreen>();
    QVERIFY(message != nullptr);
    QCOMPARE(message->lines(),
             (QStringList{"ファームウェアの更新に失敗しました", ToQt(kFirmwareAbortedText)}));
    const std::vector<PduType> sent = FirmwareRequests(s.sim.peer());
    QCOMPARE(sent.back(), PduType::kFirmAbort);
    QCOMPARE(std::count(sent.begin(), sent.end(), PduType::kFirmBlock), 0);
    QVERIFY(!s.navigator()->applying());
  }
};

QTEST_MAIN(FirmwareScreensTest)
#include "firmware_screens_test.moc"
