// The form pieces every screen is made of: the setting frame's scroll bars
// and folding, the filtered edit, and the choice box.
#include <QScrollBar>
#include <QTest>

#include "ui/forms/choice_box.h"
#include "ui/forms/filtered_edit.h"
#include "ui/forms/setting_frame.h"

using namespace ntr::ui;

class FormsTest : public QObject {
  Q_OBJECT

 private slots:
  void theFrameScrollsWideScreens() {
    QWidget page;
    page.resize(3000, 1000);
    QPoint edges;
    SettingFrame frame(&page, [&](QPoint e) { edges = e; });
    QWidget wide;
    wide.resize(2100, 40);
    frame.Host(&wide);
    QVERIFY(!frame.horizontalBar()->isHidden() && frame.verticalBar()->isHidden());
    QCOMPARE(frame.horizontalBar()->minimum(), 0);
    QCOMPARE(frame.horizontalBar()->maximum(), 100);
    QCOMPARE(frame.pos(), SettingFrame::kHomePosition);
    QCOMPARE(edges, frame.geometry().bottomRight() + QPoint(1, 1));
    QCOMPARE(frame.findChild<QWidget*>("frameBody")->height(), 50);  // 40 px shown 50 high
    frame.horizontalBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(wide.x(), -50);
    frame.SetFolded(true);
    QCOMPARE(edges, SettingFrame::kHomePosition +
                        QPoint(SettingFrame::kTabWidth, SettingFrame::kCaptionHeight));
  }

  void theEditFiltersWhatIsTyped() {
    FilteredEdit digits(EditFilter::kDigits);
    QTest::keyClicks(&digits, "1a2");
    QCOMPARE(digits.text(), QString("12"));
    QTest::keyClick(&digits, Qt::Key_Backspace);
    QTest::keyClick(&digits, Qt::Key_Escape);
    QCOMPARE(digits.text(), QString("1"));
    QVERIFY(FilterAccepts(EditFilter::kName, '_') && !FilterAccepts(EditFilter::kName, '*'));
    QVERIFY(FilterAccepts(EditFilter::kRate, '*') &&
            !FilterAccepts(EditFilter::kAlphanumeric, '-'));
  }

  void theChoiceBoxStepsOverDisabledItems() {
    ChoiceBox choice;
    choice.addItems({"a", "b", "c"});
    choice.SetItemEnabled(1, false);
    QTest::keyClick(&choice, Qt::Key_Down);
    QCOMPARE(choice.currentIndex(), 2);
    QTest::keyClick(&choice, Qt::Key_Down);
    QCOMPARE(choice.currentIndex(), 2);
  }
};

QTEST_MAIN(FormsTest)
#include "forms_test.moc"
