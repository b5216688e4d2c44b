#include "ui/screens/switch_main_screen.h"

#include <QPainter>

#include "ui/screens/form_painting.h"
#include "ui/screens/screen_navigator.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

constexpr QPoint kGridOrigin{10, 45};
constexpr int kLabelWidth = 120;
constexpr int kValueWidth = 360;
constexpr int kButtonWidth = 60;
constexpr int kNameRowY = kGridOrigin.y() + kHeaderRowHeight + 1;

}  // namespace

SwitchMainScreen::SwitchMainScreen(ScreenNavigator& screens, ManagedSwitch* sw)
    : Screen(screens, sw, -1, kSize) {
  const int buttonX = kGridOrigin.x() + kLabelWidth + kValueWidth + 2;
  QPushButton* name = AddButton(8001, QStringLiteral("設定"),
                                QRect(buttonX + 10, kNameRowY + 1, kButtonWidth - 20, kDataRowHeight - 2));
  QPushButton* close = AddButton(8010, QStringLiteral("閉じる"), QRect(252, 110, 80, 20));
  connect(name, &QPushButton::clicked, this, [this] { navigator().Open(target::kSwitchName, switchRef()); });
  connect(close, &QPushButton::clicked, this, [this] { Cancel(); });
}

QString SwitchMainScreen::title() const { return QString::fromUtf8(kSwitchMainTitle); }

void SwitchMainScreen::Cancel() { navigator().CloseFrame(); }

void SwitchMainScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  PaintGrid(painter, kGridOrigin, {kLabelWidth, kValueWidth, kButtonWidth}, 1, false);
  PaintLabel(painter, kGridOrigin + QPoint(4, 5), QStringLiteral("項目"), true);
  PaintLabel(painter, kGridOrigin + QPoint(kLabelWidth + 5, 5), QStringLiteral("設定・状態"), true);
  PaintLabel(painter, QPoint(kGridOrigin.x() + 4, kNameRowY + 4), QStringLiteral("名称"), true);
  PaintLabel(painter, QPoint(kGridOrigin.x() + kLabelWidth + 5, kNameRowY + 4),
             ToQt(working().systemName.get()), false);
}

}  // namespace ntr::ui
