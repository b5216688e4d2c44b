#include "ui/screens/switch_name_screen.h"

#include <QPainter>

#include "catalogue/switch_record.h"
#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

constexpr QRect kEditPlace{QPoint(94, 46), QPoint(313, 67)};
constexpr QPoint kLabelAt{12, 50};
constexpr QPoint kHintAt{316, 48};
constexpr int kButtonsLeft = 140;
constexpr int kButtonsTop = 95;

}  // namespace

SwitchNameScreen::SwitchNameScreen(ScreenHost& screens, SwitchView sw)
    : Screen(screens, sw, -1, kSize) {
  edit_ = new FilteredEdit(EditFilter::kName, this);
  edit_->setObjectName(ids::switch_name::kName);
  edit_->setMaxLength(static_cast<int>(kSystemNameChars));
  edit_->setText(ToQt(working().systemName.get()));
  edit_->setGeometry(kEditPlace);
  const auto [set, cancel] =
      AddSetCancelRow({ids::form::kSet, "設定", kSetButtonWidth},
                      {ids::form::kCancel, "キャンセル", kCancelButtonWidth}, kButtonsTop,
                      RowPlace::kFromLeft, kButtonsLeft, [this] { Apply(); });
  setTabOrder(edit_, set);
  setTabOrder(set, cancel);
  SetInitialFocus(edit_);
}

QString SwitchNameScreen::title() const { return QString::fromUtf8(kSwitchNameTitle); }

void SwitchNameScreen::Cancel() { navigator().Open(Target::kSwitchMain, switchRef()); }

std::vector<SettingChange> SwitchNameScreen::Changes() {
  return {SettingChange::SystemName(FromQt(edit_->text()))};
}

Screen::ApplyTexts SwitchNameScreen::applyTexts() const {
  return {QString::fromUtf8(kSwitchNameAppliedText), QString::fromUtf8(kSwitchNameFailedText),
          Target::kSwitchMain, Target::kSwitchName};
}

void SwitchNameScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  PaintGrid(painter, kGridOrigin, {80, 315}, 0, true);
  PaintLabel(painter, kLabelAt, QStringLiteral("名称"), true);
  PaintLabel(painter, kHintAt, QStringLiteral("(%1文字以内) ").arg(kSystemNameChars), false);
}

}  // namespace ntr::ui
