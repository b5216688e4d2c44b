// The small dialogs offscreen: their controls and answers, and that no text
// is cut off by the layout (this suite also runs at a 200 % scale).
#include <QAbstractButton>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "tests/ui/dialogs/grab_for_review.h"
#include "ui/dialogs/adapter_dialog.h"
#include "ui/dialogs/adoption_dialog.h"
#include "ui/dialogs/dialog_ids.h"
#include "ui/dialogs/progress_dialog.h"
#include "ui/dialogs/setting_failures_dialog.h"

namespace ntr::ui {
namespace {

const MacAddress kMac{0x02, 0x5C, 0x71, 0x00, 0x0A, 0xFF};

template <typename Widget = QLabel>
Widget* Control(QWidget& dialog, const char* id) {
  return dialog.findChild<Widget*>(id);
}

// Every text a dialog shows gets at least the room it asks for.
bool NothingClipped(QWidget& dialog, const QString& name) {
  test::GrabForReview(dialog, name);
  for (QWidget* widget : dialog.findChildren<QWidget*>()) {
    if (!widget->isVisible()) continue;
    if (qobject_cast<QLabel*>(widget) == nullptr &&
        qobject_cast<QAbstractButton*>(widget) == nullptr)
      continue;
    const QSize wanted = widget->sizeHint();
    if (widget->width() < wanted.width() || widget->height() < wanted.height()) {
      qWarning() << name << widget->objectName() << widget->size() << "<" << wanted;
      return false;
    }
  }
  return true;
}

// Runs `step` once the dialog's modal loop has started.
template <typename Step>
void WhenShown(Step step) {
  QTimer::singleShot(0, step);
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void progress() {
    ProgressDialog dialog(nullptr);
    QSignalSpy closes(&dialog, &ProgressDialog::closeRequested);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("NTR設定ツール"));
    QCOMPARE(Control(dialog, ids::progress::kHeading)->text(), QString("機器設定の読込み"));
    QVERIFY(Control<QFrame>(dialog, ids::progress::kRule) != nullptr);
    QCOMPARE(Control(dialog, ids::progress::kText)->text(), QString("設定を読込んでいます(0%)"));
    dialog.SetPercent(100);
    QCOMPARE(dialog.percent(), 100);
    QCOMPARE(Control(dialog, ids::progress::kText)->text(), QString("設定を読込んでいます(100%)"));
    QCOMPARE(Control<QProgressBar>(dialog, ids::progress::kBar)->value(), 100);
    QVERIFY(NothingClipped(dialog, "progress"));
    // Esc does not take the dialog away from a running read; the view decides.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QCOMPARE(closes.count(), 1);
  }

  void adoptionAnswers() {
    AdoptionDialog changed(AdoptionQuestion::kSettingsChanged, kMac, nullptr);
    QCOMPARE(Control(changed, ids::adoption::kMessage)->text(),
             QString("機器(MAC:02:5C:71:00:0A:FF)の設定内容が変更されています。"));
    QCOMPARE(Control<QPushButton>(changed, ids::adoption::kSecond)->text(), QString("機器"));
    WhenShown([&] {
      QVERIFY(NothingClipped(changed, "adoption-changed"));
      Control<QPushButton>(changed, ids::adoption::kSecond)->click();
    });
    QCOMPARE(changed.Ask(), 7);
    WhenShown([&] { Control<QPushButton>(changed, ids::adoption::kFirst)->click(); });
    QCOMPARE(changed.Ask(), 6);

    AdoptionDialog factory(AdoptionQuestion::kFactoryState, kMac, nullptr);
    QCOMPARE(Control(factory, ids::adoption::kQuestion)->text(),
             QString("ツールの設定値で管理しますか？"));
    WhenShown([&] {
      QVERIFY(NothingClipped(factory, "adoption-factory"));
      QTest::keyClick(&factory, Qt::Key_Escape);
    });
    QCOMPARE(factory.Ask(), 7);
    WhenShown([&] { factory.close(); });
    QCOMPARE(factory.Ask(), 7);
    WhenShown([&] { factory.EndAsFirstButton(); });  // the system goes to sleep
    QCOMPARE(factory.Ask(), 6);
    // Enter answers with the first button, which holds the focus.
    for (const AdoptionQuestion mode :
         {AdoptionQuestion::kNewDevice, AdoptionQuestion::kFactoryState}) {
      AdoptionDialog fresh(mode, kMac, nullptr);
      QWidget* focus = nullptr;
      WhenShown([&] {
        focus = fresh.focusWidget();
        QTest::keyClick(focus, Qt::Key_Return);
      });
      QCOMPARE(fresh.Ask(), 6);
      QCOMPARE(focus, Control<QPushButton>(fresh, ids::adoption::kFirst));
    }
  }

  void settingFailures() {
    const QStringList reasons{"switch control function set port-speed 3 100-fdx",
                              "switch control function set vlan-id 2 100"};
    SettingFailuresDialog dialog("02:5C:71:00:00:01", reasons,
                                 "/var/lib/Kaldor/NTR_Application/error_log.txt", nullptr);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("設定失敗"));
    QCOMPARE(Control(dialog, ids::setting_failures::kMac)->text(), QString("02:5C:71:00:00:01"));
    QCOMPARE(Control(dialog, ids::setting_failures::kErrorLogPath)->text(),
             QString("/var/lib/Kaldor/NTR_Application/error_log.txt"));
    auto* list = Control<QListWidget>(dialog, ids::setting_failures::kList);
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(1)->text(), reasons[1]);
    QVERIFY(NothingClipped(dialog, "setting-failures"));
    Control<QPushButton>(dialog, "1")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

  void adapterChoice() {
    const std::vector<AdapterInfo> adapters{
        {"eth0", "eth0", "192.168.10.21", "00-11-22-33-44-55", {}},
        {"wlp2s0", "Intel Wireless-AC 9560", "fe80::1234:5678:9abc:def0", "00-11-22-33-44-56", {}}};
    AdapterDialog dialog(adapters, nullptr);
    auto* list = dialog.findChild<QTableWidget*>();
    QVERIFY(list->horizontalHeader()->isHidden());
    QCOMPARE(list->item(1, 1)->text(), QString("Intel Wireless-AC 9560"));
    WhenShown([&] {
      QVERIFY(NothingClipped(dialog, "adapters"));
      QCOMPARE(list->selectionModel()->selectedRows().front().row(), 0);  // the first row
      QVERIFY(list->columnWidth(0) >=
              list->fontMetrics().horizontalAdvance(list->item(1, 0)->text()));
      Control<QPushButton>(dialog, "1")->click();
    });
    QCOMPARE(dialog.Choose(), std::optional<std::size_t>(0));

    WhenShown([&] {
      const QRect row = list->visualItemRect(list->item(1, 1));
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
      if (dialog.isVisible()) dialog.close();  // the double click did not end it
    });
    QCOMPARE(dialog.Choose(), std::optional<std::size_t>(1));

    WhenShown([&] {
      list->clearSelection();
      Control<QPushButton>(dialog, "1")->click();  // OK without a row does nothing
      QVERIFY(dialog.isVisible());
      dialog.close();
    });
    QCOMPARE(dialog.Choose(), std::nullopt);
  }
};

}  // namespace ntr::ui

QTEST_MAIN(ntr::ui::DialogsTest)
#include "dialogs_test.moc"
