// The pop-up's lines (built with a fixed text measure, no window) and the
// pop-up window itself, offscreen.
#include <QSignalSpy>
#include <QtTest>

#include "catalogue/function_descriptors.h"
#include "catalogue/switch_model.h"
#include "device/managed_switch.h"
#include "tests/support/memory_link.h"
#include "tests/ui/dialogs/grab_for_review.h"
#include "ui/popup/popup_ids.h"
#include "ui/popup/popup_window.h"

namespace ntr::ui {
namespace {

// Ten pixels a character; rows 12 px high, 14 px in bold.
QSize Measure(const QString& text, bool bold) {
  return QSize(10 * static_cast<int>(text.size()), bold ? 14 : 12);
}

PopupText Build(int kind, const SwitchRecord* record, int port = -1, bool reading = false) {
  PopupSubject subject;
  subject.kind = kind;
  subject.record = record;
  subject.port = port;
  subject.reading = reading;
  subject.version = "2.10";
  subject.managedCount = 3;
  return BuildPopupText(subject, Measure);
}

// The text of each row, pieces on the same row joined.
QStringList Rows(const std::vector<PopupLine>& lines) {
  QStringList rows;
  int y = -1;
  for (const PopupLine& line : lines) {
    if (line.position.y() == y) {
      rows.back() += line.text;
    } else {
      rows << line.text;
      y = line.position.y();
    }
  }
  return rows;
}

// Every piece of text keeps clear of the 2 px frame by at least 2 px on every side.
bool ClearOfFrame(const PopupText& text) {
  const QRect inside = QRect(QPoint(0, 0), text.size).adjusted(4, 4, -4, -4);
  for (const PopupLine& line : text.lines) {
    if (!inside.contains(QRect(line.position, Measure(line.text, line.bold)))) return false;
  }
  return !text.lines.empty();
}

void Model(SwitchRecord& record, std::string_view model) {
  record.modelName = std::string(model);
  record.systemName = "core-1";
  record.macText = "02:5C:71:00:00:01";
  ApplyModel(record);
}

}  // namespace

class PopupTest : public QObject {
  Q_OBJECT

 private slots:
  void switchLinesOfEachModel() {
    SwitchRecord record;
    Model(record, kModelName24G);
    record.energySaving = 1;
    record.ledBrightness = 1;
    record.fanState = 1;
    PopupText text = Build(kPopupSwitch, &record);
    QCOMPARE(
        Rows(text.lines),
        (QStringList{"機器の名称:core-1", "機種名:NTR7100-24G", "MACアドレス:02:5C:71:00:00:01",
                     "省電力機能:エコノミーモード", "冷却ファンの状態:異常停止！"}));
    const PopupLine& economy = text.lines[4];
    QCOMPARE(economy.position, text.lines[3].position + QPoint(10 * 6, 0));
    QCOMPARE(economy.position.y(), text.lines[0].position.y() + 3 * 12);
    QVERIFY(economy.bold);
    QCOMPARE(economy.colour, QColor(0, 255, 0));
    QCOMPARE(text.lines[6].colour, QColor(255, 0, 0));
    QVERIFY(ClearOfFrame(text));
    QCOMPARE(text.refreshMs, 500);
    record.fanState = 0;
    QCOMPARE(Build(kPopupSwitch, &record).lines[6].colour, QColor(0, 0, 255));

    Model(record, kModelName8PoE);
    record.ledBrightness = 0;  // economy mode on but not in force
    record.fanSpeeds[0] = 3000;
    record.fanSpeeds[1] = 2900;
    record.poeTemperature = 45;
    text = Build(kPopupSwitch, &record);
    QCOMPARE(Rows(text.lines).mid(3),
             (QStringList{"省電力機能:ノーマルモード", "冷却ファン:3000 rpm  /  2900 rpm",
                          "内部温度:45℃"}));
    QCOMPARE(text.lines[4].colour, QColor(0, 0, 0));
    QCOMPARE(text.refreshMs, 60000);
    QVERIFY(ClearOfFrame(text));
  }

  void portLines() {
    SwitchRecord record;
    Model(record, kModelName8PoE);
    PortStatus& status = record.portStatus[4];
    status.linkSpeed = 6;
    status.txOctets = 5000000000ull;
    status.rxOctets = 7;
    status.txFrames[2] = 12;
    status.rxFrames[0] = 99;
    status.poeState = 20;
    status.poeSupply = 7;
    record.ports[4].txCounterTypes[1] = 27;
    record.ports[4].rxCounterTypes[2] = 99;  // a code without a name
    const PopupText text = Build(kPopupPort, &record, 4);
    QCOMPARE(Rows(text.lines),
             (QStringList{"Port 5", "リンク状態:リンクアップ[1000BASE-T]",
                          "フレームカウンタ:", "　　送信オクテット:5000000000",
                          "　　送信フレーム:", "　　　　packets:0", "　　　　collisions:0",
                          "　　　　total-error-packets:12", "　　受信オクテット:7",
                          "　　受信フレーム:", "　　　　packets:99", "　　　　total-good-packets:0",
                          "　　　　99:0", "給電状態:未定義のステータス", "消費電力:7W"}));
    QCOMPARE(text.refreshMs, 500);
    QVERIFY(ClearOfFrame(text));

    Model(record, kModelName8G);
    const PopupText plain = Build(kPopupPort, &record, 4);
    QCOMPARE(plain.lines.size(), 13u);
    QCOMPARE(plain.refreshMs, 60000);
    QVERIFY(Build(kPopupPort, &record, kMaxPorts).lines.empty());
  }

  void unknownModelLines() {
    SwitchRecord record;
    record.modelName = "XY-1";
    QCOMPARE(Rows(Build(kPopupUnknownModel, &record).lines), QStringList{"非対応機種です。"});
    QCOMPARE(Rows(Build(kPopupUnknownModel, &record, -1, true).lines), QStringList{"情報取得中"});
    record.modelName = std::string(kModelName8G);
    QCOMPARE(Rows(Build(kPopupUnknownModel, &record).lines), QStringList{"情報取得中"});
    record.readFailed = 1;
    const PopupText failed = Build(kPopupUnknownModel, &record);
    QCOMPARE(Rows(failed.lines).mid(3),
             (QStringList{"情報取得に失敗しました。", "error_log.txtを確認してください。"}));
    QCOMPARE(failed.refreshMs, 500);
  }

  void windowShowsPlacesAndHides() {
    QWidget panel;
    panel.resize(800, 600);
    panel.show();
    PopupWindow popup(&panel);
    QCOMPARE(popup.objectName(), QString(ids::popup::kWindow));
    QString version = "1.0";
    popup.SetApplicationInfo([&] { return version; }, [] { return 2; });
    const QRect anchor(100, 50, 40, 30);
    popup.Show(kPopupApplication, nullptr, -1, anchor);
    QVERIFY(popup.isVisible());
    QCOMPARE(Rows(popup.lines()),
             (QStringList{"NTR設定ツール", "　バージョン:1.0", "　管理スイッチ数:2"}));
    QCOMPARE(popup.pos(), QPoint(150, 60));
    test::GrabForReview(popup, "popup-application");
    const QFontMetrics metrics(popup.font());
    QCOMPARE(popup.height(), 3 * metrics.height() + 2 * kPopupInset);
    QCOMPARE(popup.width(), metrics.horizontalAdvance("　管理スイッチ数:2") + 2 * kPopupInset);
    QVERIFY(popup.ContainsGlobal(panel.mapToGlobal(QPoint(151, 61))));
    QVERIFY(!popup.ContainsGlobal(panel.mapToGlobal(QPoint(149, 61))));

    version = "2.0";
    popup.Show(kPopupApplication, nullptr, -1, anchor);  // the same: nothing happens
    QCOMPARE(Rows(popup.lines()).at(1), QString("　バージョン:1.0"));
    popup.Hide(kPopupApplication, nullptr, -1, QRect(0, 0, 1, 1));  // not what is shown
    QVERIFY(popup.isVisible());
    popup.Hide(kPopupApplication, nullptr, -1, anchor);
    QVERIFY(!popup.isVisible());
    QVERIFY(!popup.ContainsGlobal(panel.mapToGlobal(QPoint(151, 61))));
  }

  void windowFollowsASwitch() {
    QWidget panel;
    panel.resize(800, 600);
    panel.show();
    test::MemoryLink link;  // nobody answers; the pop-up sends nothing in this test
    TransactionHub hub(link, LookupFunctionTypes);
    SwitchRecord record;
    auto sw = std::make_unique<ManagedSwitch>(hub, record, nullptr, nullptr);
    sw->SetActive(true);
    PopupWindow popup(&panel);
    const QRect anchor(10, 10, 100, 40);

    popup.Show(kPopupUnknownModel, sw.get(), -1, anchor);  // its identity is being read
    QCOMPARE(Rows(popup.lines()), QStringList{"情報取得中"});
    test::GrabForReview(popup, "popup-unknown-model");
    Model(record, kModelName8G);
    record.portStatus[0].rxFrames[1] = 1234567;
    popup.Show(kPopupPort, sw.get(), 0, anchor);
    QCOMPARE(Rows(popup.lines()).first(), QString("Port 1"));
    test::GrabForReview(popup, "popup-port");
    Model(record, kModelName24G);
    record.energySaving = 1;
    record.ledBrightness = 1;
    popup.Show(kPopupSwitch, sw.get(), -1, anchor);
    QCOMPARE(Rows(popup.lines()).last(), QString("冷却ファンの状態:正常"));
    // The worker notices the fan on its next tick (500 ms) and the window rebuilds.
    record.fanState = 1;
    QTRY_COMPARE_WITH_TIMEOUT(Rows(popup.lines()).last(), QString("冷却ファンの状態:異常停止！"),
                              10000);
    test::GrabForReview(popup, "popup-switch");

    popup.Forget(*sw);
    QVERIFY(!popup.isVisible());
    sw.reset();
  }
};

}  // namespace ntr::ui

QTEST_MAIN(ntr::ui::PopupTest)
#include "popup_test.moc"
