#include "ui/screens/switch_name_screen.h"

#include <QPainter>

#include "catalogue/switch_record.h"
#include "ui/screens/form_painting.h"
#include "ui/screens/screen_navigator.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

constexpr QRect kEditPlace{QPoint(94, 46), QPoint(313, 67)};
constexpr QPoint kLabelAt{12, 50};
constexpr QPoint kHintAt{316, 48};

}  // namespace

SwitchNameScreen::SwitchNameScreen(ScreenNavigator& screens, ManagedSwitch* sw)
    : Screen(screens, sw, -1, kSize) {
  edit_ = new FilteredEdit(EditFilter::kName, this);
  edit_->setObjectName("8000");
  edit_->setMaxLength(static_cast<int>(kSystemNameChars));
  edit_->setText(ToQt(working().systemName.get()));
  edit_->setGeometry(kEditPlace);
  QPushButton* set = AddButton(8001, QStringLiteral("設定"), QRect(QPoint(140, 95), QPoint(179, 114)));
  QPushButton* cancel = AddButton(8002, QStringLiteral("キャンセル"), QRect(QPoint(185, 95), QPoint(264, 114)));
  cancel->move(std::max(cancel->x(), set->geometry().right() + 6), cancel->y());
  connect(set, &QPushButton::clicked, this, [this] { Apply(); });
  connect(cancel, &QPushButton::clicked, this, [this] { Cancel(); });
  setTabOrder(edit_, set);
  setTabOrder(set, cancel);
  SetInitialFocus(edit_);
}

QString SwitchNameScreen::title() const { return QString::fromUtf8(kSwitchNameTitle); }

void SwitchNameScreen::Cancel() { navigator().Open(target::kSwitchMain, switchRef()); }

std::vector<SettingChange> SwitchNameScreen::Changes() {
  return {SettingChange::SystemName(FromQt(edit_->text()))};
}

Screen::ApplyTexts SwitchNameScreen::applyTexts() const {
  return {QString::fromUtf8(kSwitchNameAppliedText), QString::fromUtf8(kSwitchNameFailedText),
          target::kSwitchMain, target::kSwitchName};
}

void SwitchNameScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  PaintGrid(painter, kGridOrigin, {80, 315}, 0, true);
  PaintLabel(painter, kLabelAt, QStringLiteral("名称"), true);
  PaintLabel(painter, kHintAt, QStringLiteral("(%1文字以内) ").arg(kSystemNameChars), false);
}

}  // namespace ntr::ui
