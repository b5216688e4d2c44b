#include "ui/screens/firmware_update_screen.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "app/switch_service.h"
#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/screens/firmware_texts.h"
#include "ui/style/fonts.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

constexpr int kPathWidth = 300;
constexpr int kButtonTop = 95;
constexpr int kMargin = 10;
// The browse dialog's filter, written as "name|pattern|...||".
constexpr char kFileFilter[] = "All Files (*.*)|*.*||";

QString QtFilter(const QString& filter) {
  const QStringList parts = filter.split('|', Qt::SkipEmptyParts);
  QStringList names;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) names << parts[i];
  return names.join(";;");
}

}  // namespace

FirmwareUpdateScreen::FirmwareUpdateScreen(ScreenHost& screens, Application& app, SwitchView sw)
    : Screen(screens, sw, -1, QSize(585, 150)), app_(app) {
  const QString label = QStringLiteral("ファームウェアファイルの指定");
  labelWidth_ = std::max(160, QFontMetrics(UiFont(10, true)).horizontalAdvance(label) + 16);
  const int editX = kGridOrigin.x() + labelWidth_ + 6;
  path_ = new QLineEdit(this);
  path_->setObjectName(ids::firmware_update::kPath);
  path_->setFont(UiFont());
  path_->setGeometry(editX, kGridOrigin.y() + 1, kPathWidth, kHeaderRowHeight - 2);
  QPushButton* browse = AddButton(
      ids::firmware_update::kBrowse, QStringLiteral("参照"),
      QRect(path_->geometry().right() + 6, path_->y() + 1, kBrowseButtonWidth, kButtonHeight));
  const int width = std::max(585, browse->geometry().right() + 1 + 2 * kMargin);
  setFixedSize(width, height());
  const auto [run, cancel] =
      AddSetCancelRow({ids::firmware_update::kRun, "実行", kRunButtonWidth},
                      {ids::firmware_update::kCancel, "キャンセル", kCancelButtonWidth}, kButtonTop,
                      RowPlace::kCentred, width, [this] { Run(); });
  connect(browse, &QPushButton::clicked, this, &FirmwareUpdateScreen::Browse);
  setTabOrder(path_, browse);
  setTabOrder(browse, run);
  setTabOrder(run, cancel);
  SetInitialFocus(path_);
}

QString FirmwareUpdateScreen::title() const { return QString::fromUtf8(kFirmwareTitle); }

void FirmwareUpdateScreen::Cancel() { navigator().Open(Target::kSwitchMain, switchRef()); }

void FirmwareUpdateScreen::Browse() {
  const QString chosen = QFileDialog::getOpenFileName(window(), title(), path_->text(),
                                                      QtFilter(QString::fromUtf8(kFileFilter)));
  if (!chosen.isEmpty()) path_->setText(chosen);
}

void FirmwareUpdateScreen::Run() {
  SwitchView sw = navigator().Find(switchRef());
  if (sw == nullptr) {
    navigator().CloseFrame();
    return;
  }
  const QString path = path_->text();
  const ServiceResult started = SwitchService(app_).StartFirmware(sw, FromQt(path));
  if (!started.ok) {
    navigator().ShowMessage(title(),
                            {QString::fromUtf8(kFirmwareFailedHeading), ToQt(started.text)},
                            Target::kSwitchMain, switchRef(), -1);
    return;
  }
  navigator().Open(Target::kFirmwareProgress, switchRef());
}

void FirmwareUpdateScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  PaintGrid(painter, kGridOrigin, {labelWidth_, width() - 2 * kGridOrigin.x() - labelWidth_ - 1}, 0,
            true);
  PaintLabel(painter, kGridOrigin + QPoint(2, 5), QStringLiteral("ファームウェアファイルの指定"),
             true);
}

}  // namespace ntr::ui
