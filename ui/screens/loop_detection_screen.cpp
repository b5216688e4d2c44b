#include "ui/screens/loop_detection_screen.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "catalogue/function_descriptors.h"
#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/forms/switch_words.h"
#include "ui/style/fonts.h"

namespace ntr::ui {

namespace {

constexpr int kEditWidth = 70;
constexpr int kRadioIndent = 6;

int RowTop(int row) { return kGridOrigin.y() + kHeaderRowHeight + 1 + row * (kDataRowHeight + 1); }

int Digits(std::int32_t value) { return static_cast<int>(QString::number(value).size()); }

}  // namespace

LoopDetectionScreen::LoopDetectionScreen(ScreenHost& screens, SwitchView sw)
    : Screen(screens, sw, -1, QSize(585, 180)) {
  const FunctionDescriptor& count = DescriptorOf(Function::kLoopDetectCount);
  const FunctionDescriptor& timer = DescriptorOf(Function::kLoopDetectRecoveryTimer);
  countHint_ = QStringLiteral("回(%1～%2) ").arg(count.min).arg(count.max);
  secondsHint_ = QStringLiteral("秒(%1～%2) ").arg(timer.min).arg(timer.max);

  const QFontMetrics normal(UiFont());
  const QFontMetrics bold(UiFont(10, true));
  labelWidth_ = std::max(bold.horizontalAdvance(QStringLiteral("MACアドレス移動回数閾値")),
                         bold.horizontalAdvance(QStringLiteral("ループ検出時の動作"))) +
                16;
  shutDown_ = new QRadioButton(LoopShutDownText(), this);
  noShutDown_ = new QRadioButton(LoopNoShutDownText(), this);
  for (QRadioButton* radio : {shutDown_, noShutDown_}) radio->setFont(UiFont());
  shutDown_->setObjectName(ids::loop_detection::kShutDown);
  noShutDown_->setObjectName(ids::loop_detection::kNoShutDown);
  const int radioWidth = shutDown_->sizeHint().width();
  valueWidth_ = std::max(kRadioIndent + radioWidth + 6 + kEditWidth + 4 +
                             normal.horizontalAdvance(secondsHint_),
                         kEditWidth + 4 + normal.horizontalAdvance(countHint_)) +
                12;

  const int valueX = kGridOrigin.x() + labelWidth_ + 1 + 4;
  count_ = new FilteredEdit(EditFilter::kDigits, this);
  count_->setObjectName(ids::loop_detection::kCount);
  count_->setMaxLength(Digits(count.max));
  count_->setText(QString::number(working().loopCount.load()));
  count_->setGeometry(valueX, RowTop(0) + 1, kEditWidth, kDataRowHeight - 2);

  shutDown_->setGeometry(valueX + kRadioIndent, RowTop(1) + 1, radioWidth, kDataRowHeight - 2);
  seconds_ = new FilteredEdit(EditFilter::kDigits, this);
  seconds_->setObjectName(ids::loop_detection::kRecoverySeconds);
  seconds_->setMaxLength(Digits(timer.max));
  seconds_->setText(QString::number(working().loopRecoveryTime.load()));
  seconds_->setGeometry(shutDown_->geometry().right() + 7, RowTop(1) + 1, kEditWidth,
                        kDataRowHeight - 2);
  noShutDown_->setGeometry(valueX + kRadioIndent, RowTop(2) + 1, noShutDown_->sizeHint().width(),
                           kDataRowHeight - 2);
  auto* group = new QButtonGroup(this);
  group->addButton(shutDown_);
  group->addButton(noShutDown_);
  (working().loopLinkDown.load() == kLoopShutDownAndRelease ? shutDown_ : noShutDown_)
      ->setChecked(true);

  const int width = std::max(585, kGridOrigin.x() * 2 + labelWidth_ + valueWidth_ + 1);
  const int buttonsTop = RowTop(3) + 15;
  AddSetCancelRow(kFormSet, kFormCancel, buttonsTop, RowPlace::kFromLeft, width / 2 - 85,
                  [this] { Apply(); });
  setFixedSize(width, buttonsTop + kButtonHeight + kButtonGap);
  SetInitialFocus(count_);
}

QString LoopDetectionScreen::title() const { return QString::fromUtf8(kLoopDetectionTitle); }

void LoopDetectionScreen::Cancel() { navigator().Open(Target::kSwitchMain, switchRef()); }

// The count, the recovery time, then the action; the setters check the ranges.
std::vector<SettingChange> LoopDetectionScreen::Changes() {
  const auto number = [](const FilteredEdit* edit) {
    bool ok = false;
    const int value = edit->text().toInt(&ok, 10);
    return ok ? value : -1;
  };
  return {SettingChange::Set(Function::kLoopDetectCount, FunctionIndex::None(), number(count_)),
          SettingChange::Set(Function::kLoopDetectRecoveryTimer, FunctionIndex::None(),
                             number(seconds_)),
          SettingChange::Set(Function::kLoopDetectLinkDown, FunctionIndex::None(),
                             shutDown_->isChecked() ? kLoopShutDownAndRelease : kLoopNoShutDown)};
}

Screen::ApplyTexts LoopDetectionScreen::applyTexts() const {
  return {QString::fromUtf8(kLoopDetectionAppliedText), QString::fromUtf8(kLoopDetectionFailedText),
          Target::kSwitchMain, Target::kLoopDetection};
}

void LoopDetectionScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  PaintGrid(painter, kGridOrigin, {labelWidth_, valueWidth_}, 3, false);
  PaintLabel(painter, kGridOrigin + QPoint(4, 5), QStringLiteral("項目"), true);
  PaintLabel(painter, kGridOrigin + QPoint(labelWidth_ + 5, 5), QStringLiteral("設定"), true);
  PaintLabel(painter, QPoint(kGridOrigin.x() + 4, RowTop(0) + 4),
             QStringLiteral("MACアドレス移動回数閾値"), true);
  PaintLabel(painter, QPoint(kGridOrigin.x() + 4, RowTop(1) + 4),
             QStringLiteral("ループ検出時の動作"), true);
  PaintLabel(painter, QPoint(count_->geometry().right() + 5, RowTop(0) + 4), countHint_, false);
  PaintLabel(painter, QPoint(seconds_->geometry().right() + 5, RowTop(1) + 4), secondsHint_, false);
}

}  // namespace ntr::ui
