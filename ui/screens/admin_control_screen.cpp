#include "ui/screens/admin_control_screen.h"

#include <QPainter>

#include "app/application.h"
#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"

namespace ntr::ui {

namespace {

constexpr int kLabelWidth = 200;
constexpr int kValueWidth = 180;
constexpr int kEditX = kGridOrigin.x() + kLabelWidth + 4;
constexpr int kHintX = kEditX + 40;
// Two data rows, one per watch value.
constexpr int kFirstRowY = kGridOrigin.y();
constexpr int kSecondRowY = kFirstRowY + kDataRowHeight + 1;
constexpr int kButtonsLeft = 140;
constexpr int kButtonsTop = 125;

FilteredEdit* WatchEdit(QWidget* parent, const char* id, int value, int y) {
  auto* edit = new FilteredEdit(EditFilter::kDigits, parent);
  edit->setObjectName(id);
  edit->setMaxLength(2);
  edit->setText(QString::number(value));
  edit->setGeometry(kEditX, y, 34, 20);
  return edit;
}

// An empty field counts as 0.
int Parsed(const FilteredEdit* edit) { return edit->text().toInt(); }

bool InRange(int value) {
  return value >= AdminControlScreen::kLowest && value <= AdminControlScreen::kHighest;
}

}  // namespace

AdminControlScreen::AdminControlScreen(ScreenHost& screens, Application& app)
    : Screen(screens, nullptr, -1, kSize), app_(app) {
  interval_ =
      WatchEdit(this, ids::admin_control::kInterval, app.config().watchInterval(), kFirstRowY + 1);
  count_ = WatchEdit(this, ids::admin_control::kCount, app.config().downCount(), kSecondRowY + 1);
  const auto [set, cancel] =
      AddSetCancelRow({ids::admin_control::kSet, "設定", kSetButtonWidth},
                      {ids::admin_control::kCancel, "キャンセル", kCancelButtonWidth}, kButtonsTop,
                      RowPlace::kFromLeft, kButtonsLeft, [this] { Set(); });
  setTabOrder(interval_, count_);
  setTabOrder(count_, set);
  setTabOrder(set, cancel);
  SetInitialFocus(interval_);
}

QString AdminControlScreen::title() const { return QString::fromUtf8(kAdminControlTitle); }

void AdminControlScreen::Cancel() { navigator().Open(Target::kAdministration, SwitchRef{}); }

void AdminControlScreen::Set() {
  const int interval = Parsed(interval_);
  const int count = Parsed(count_);
  const QString failed = QString::fromUtf8(kAdminControlFailedText);
  if (!InRange(interval) || !InRange(count)) {
    const char* reason = InRange(interval) ? kDownCountOutOfRangeText : kIntervalOutOfRangeText;
    navigator().ShowMessage(title(), {failed, QString::fromUtf8(reason)}, Target::kAdminControl,
                            SwitchRef{}, -1);
    return;
  }
  ErrorPair error;
  if (!app_.SetWatch(interval, count, error)) {
    navigator().ShowMessage(title(), {failed, QString::fromStdString(FormatErrorMessage(error))},
                            Target::kAdminControl, SwitchRef{}, -1);
    return;
  }
  navigator().ShowResult(title(), {QString::fromUtf8(kAdminControlAppliedText)},
                         Target::kAdministration, SwitchRef{}, -1);
}

void AdminControlScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  PaintRows(painter, kGridOrigin, {kLabelWidth, kValueWidth}, 2);
  PaintLabel(painter, QPoint(kGridOrigin.x() + 4, kFirstRowY + 4),
             QStringLiteral("スイッチの監視時間間隔"), true);
  PaintLabel(painter, QPoint(kGridOrigin.x() + 4, kSecondRowY + 4),
             QStringLiteral("ダウン検出までの監視回数"), true);
  PaintLabel(painter, QPoint(kHintX, kFirstRowY + 4), QStringLiteral("秒 (2～10)"), false);
  PaintLabel(painter, QPoint(kHintX, kSecondRowY + 4), QStringLiteral("回 (2～10)"), false);
}

}  // namespace ntr::ui
