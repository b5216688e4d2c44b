#include "ui/screens/power_saving_screen.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "app/switch_view.h"
#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/forms/switch_words.h"
#include "ui/style/colours.h"
#include "ui/style/fonts.h"

namespace ntr::ui {

namespace {

constexpr QPoint kTextOrigin{25, 40};
constexpr int kLineHeight = 20;

int RowTop(int row) { return kGridOrigin.y() + kHeaderRowHeight + 1 + row * (kDataRowHeight + 1); }

}  // namespace

PowerSavingScreen::PowerSavingScreen(ScreenHost& screens, SwitchView sw)
    : Screen(screens, sw, -1, QSize(585, 150)) {
  const QStringList modes = PowerModeChoices();
  normal_ = new QRadioButton(modes.at(0), this);
  economy_ = new QRadioButton(modes.at(1), this);
  normal_->setObjectName(ids::power_saving::kNormal);
  economy_->setObjectName(ids::power_saving::kEconomy);
  auto* group = new QButtonGroup(this);
  for (QRadioButton* radio : {normal_, economy_}) {
    radio->setFont(UiFont());
    group->addButton(radio);
  }
  (EconomyModeInForce(working()) ? economy_ : normal_)->setChecked(true);

  labelWidth_ = QFontMetrics(UiFont(10, true)).horizontalAdvance(QStringLiteral("動作モード")) + 40;
  const int valueX = kGridOrigin.x() + labelWidth_ + 1 + 8;
  normal_->setGeometry(valueX, RowTop(0) + 1, normal_->sizeHint().width(), kDataRowHeight - 2);
  economy_->setGeometry(normal_->geometry().right() + 20, RowTop(0) + 1,
                        economy_->sizeHint().width(), kDataRowHeight - 2);
  valueWidth_ = economy_->geometry().right() - valueX + 20;

  const int width = std::max(420, kGridOrigin.x() * 2 + labelWidth_ + valueWidth_ + 1);
  const int buttonsTop = RowTop(1) + 15;
  AddSetCancelRow(kFormSet, kFormCancel, buttonsTop, RowPlace::kAroundCentre, width,
                  [this] { Choose(); });
  setFixedSize(width, buttonsTop + kButtonHeight + kButtonGap);
  QRadioButton* chosen = EconomyModeInForce(working()) ? economy_ : normal_;
  SetInitialFocus(chosen);
  MoveFocusOnFrom(chosen);
}

QString PowerSavingScreen::title() const { return QString::fromUtf8(kPowerSavingTitle); }

void PowerSavingScreen::Cancel() { navigator().Open(Target::kSwitchMain, switchRef()); }

// The mode in force needs no request: the switch's panel is drawn again and
// the success shows at once.
void PowerSavingScreen::Choose() {
  SwitchView sw = navigator().Find(switchRef());
  if (sw == nullptr) {
    navigator().CloseFrame();
    return;
  }
  const bool economy = economy_->isChecked();
  if (economy == EconomyModeInForce(working())) {
    sw.Redraw();
    navigator().ShowResult(title(), {QString::fromUtf8(kPowerSavingAppliedText)},
                           Target::kSwitchMain, switchRef(), -1);
    return;
  }
  navigator().Show(new PowerSavingConfirmScreen(navigator(), sw, economy));
}

void PowerSavingScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  PaintGrid(painter, kGridOrigin, {labelWidth_, valueWidth_}, 1, false);
  PaintLabel(painter, kGridOrigin + QPoint(4, 5), QStringLiteral("項目"), true);
  PaintLabel(painter, kGridOrigin + QPoint(labelWidth_ + 5, 5), QStringLiteral("設定"), true);
  PaintLabel(painter, QPoint(kGridOrigin.x() + 4, RowTop(0) + 4), QStringLiteral("動作モード"),
             true);
}

PowerSavingConfirmScreen::PowerSavingConfirmScreen(ScreenHost& screens, SwitchView sw, bool economy)
    : Screen(screens, sw, -1, QSize(585, 150)), economy_(economy) {
  lines_ = {QStringLiteral("この設定を実行すると一時的にリンクダウンします。画面は一度閉じられて"),
            QStringLiteral("ネットワーク情報を更新します。"), QStringLiteral("実行しますか？")};
  const QFontMetrics metrics(UiFont());
  int widest = 0;
  for (const QString& line : lines_) widest = std::max(widest, metrics.horizontalAdvance(line));
  const int width = std::max(585, kTextOrigin.x() * 2 + widest + 10);
  const int buttonsTop = kTextOrigin.y() + 8 + static_cast<int>(lines_.size()) * kLineHeight + 20;
  const ButtonRow row =
      AddSetCancelRow({ids::power_saving::kYes, "はい", kRunButtonWidth},
                      {ids::power_saving::kNo, "いいえ", kRunButtonWidth}, buttonsTop,
                      RowPlace::kAroundCentre, width, [this] { Apply(); });
  setFixedSize(width, buttonsTop + kButtonHeight + kButtonGap);
  SetInitialFocus(row.second);
}

QString PowerSavingConfirmScreen::title() const { return QString::fromUtf8(kPowerSavingTitle); }

void PowerSavingConfirmScreen::Cancel() { navigator().Open(Target::kPowerSaving, switchRef()); }

// The LEDs first, then the mode itself.
std::vector<SettingChange> PowerSavingConfirmScreen::Changes() {
  const std::int32_t on = economy_ ? 1 : 0;
  return {SettingChange::Set(Function::kLedBrightness, FunctionIndex::None(), on),
          SettingChange::Set(Function::kEnergySaving, FunctionIndex::None(), on)};
}

Screen::ApplyTexts PowerSavingConfirmScreen::applyTexts() const {
  return {QString::fromUtf8(kPowerSavingAppliedText), QString::fromUtf8(kPowerSavingFailedText),
          Target::kSwitchMain, Target::kPowerSaving};
}

void PowerSavingConfirmScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  const int boxHeight = static_cast<int>(lines_.size()) * kLineHeight + 10;
  painter.fillRect(QRect(kTextOrigin, QSize(width() - 2 * kTextOrigin.x(), boxHeight)), kRowColour);
  for (int i = 0; i < lines_.size(); ++i) {
    PaintLabel(painter, kTextOrigin + QPoint(4, 5 + i * kLineHeight), lines_.at(i), false);
  }
}

}  // namespace ntr::ui
