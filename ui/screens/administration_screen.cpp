#include "ui/screens/administration_screen.h"

#include <QFontMetrics>
#include <QMessageBox>
#include <QPainter>

#include "app/application.h"
#include "app/operator.h"
#include "app/switch_service.h"
#include "catalogue/switch_model.h"
#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/style/fonts.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

constexpr QPoint kWatchGrid{10, 45};
constexpr int kWatchLabelWidth = 220;
constexpr int kWatchValueWidth = 100;
constexpr int kMacWidth = 150;
constexpr int kButtonsWidth = 130;
constexpr int kTextPad = 10;
constexpr int kRowStep = kDataRowHeight + 1;

}  // namespace

AdministrationScreen::AdministrationScreen(ScreenHost& screens, Application& app)
    : Screen(screens, nullptr, -1, QSize(1, 1)),
      app_(app),
      widths_{196, 156, 166},
      interval_(app.config().watchInterval()),
      downCount_(app.config().downCount()) {
  const QFontMetrics metrics(UiFont());
  for (SwitchView sw : app.Switches()) {
    const SwitchRecord& record = sw.record();
    // Held back (to be adopted again, or its read failed) the model is held unknown.
    if (record.modelCode.load() == kModelUnknown) continue;
    Row row{sw.ref(), ToQt(record.systemName.get()), ToQt(record.modelName.get()),
            ToQt(record.serialNumber.get()), ToQt(record.macText.get())};
    const QString texts[] = {row.name, row.model, row.serial};
    for (std::size_t column = 0; column < 3; ++column) {
      widths_[column] =
          std::max(widths_[column], metrics.horizontalAdvance(texts[column]) + kTextPad);
    }
    rows_.push_back(std::move(row));
  }
  const int count = static_cast<int>(rows_.size());
  // As wide as the list (the title at least), not the 850 px of room the
  // original gave beyond the three columns, which only pushed "閉じる" off to the right.
  const int listWidth = widths_[0] + widths_[1] + widths_[2] + kMacWidth + kButtonsWidth + 5;
  const int titleWidth =
      2 * kTitlePosition.x() + QFontMetrics(TitleFont()).horizontalAdvance(title());
  setFixedSize(
      std::max(2 * kWatchGrid.x() + listWidth, titleWidth),
      std::max(count * kDataRowHeight + 285, GridTop() + kHeaderRowHeight + count * kRowStep + 60));

  QPushButton* set = AddButton(
      ids::administration::kControl, QStringLiteral("設定"),
      QRect(kWatchGrid.x() + kWatchLabelWidth + kWatchValueWidth + 12,
            kWatchGrid.y() + kHeaderRowHeight + kRowStep + 2, kBrowseButtonWidth, kButtonHeight));
  connect(set, &QPushButton::clicked, this,
          [this] { navigator().Open(Target::kAdminControl, SwitchRef{}); });
  QWidget* previous = set;
  const int buttonsX = kWatchGrid.x() + widths_[0] + widths_[1] + widths_[2] + kMacWidth + 4;
  for (int i = 0; i < count; ++i) {
    const int y = GridTop() + kHeaderRowHeight + 1 + i * kRowStep + 1;
    QPushButton* save = AddButton(ids::administration::Save(i), QStringLiteral("保存"),
                                  QRect(buttonsX + 4, y, 55, kButtonHeight));
    QPushButton* load = AddButton(ids::administration::Load(i), QStringLiteral("読込"),
                                  QRect(buttonsX + 65, y, 55, kButtonHeight));
    connect(save, &QPushButton::clicked, this, [this, i] { Save(i); });
    connect(load, &QPushButton::clicked, this, [this, i] { Load(i); });
    setTabOrder(previous, save);
    setTabOrder(save, load);
    previous = load;
  }
  QPushButton* close = AddButton(ids::administration::kClose, QStringLiteral("閉じる"),
                                 QRect(width() / 2 - kCancelButtonWidth / 2, height() - 40,
                                       kCancelButtonWidth, kButtonHeight));
  connect(close, &QPushButton::clicked, this, [this] { Cancel(); });
  setTabOrder(previous, close);
  SetInitialFocus(set);
}

QString AdministrationScreen::title() const { return QString::fromUtf8(kAdministrationTitle); }

void AdministrationScreen::Cancel() { navigator().CloseFrame(); }

int AdministrationScreen::GridTop() const { return 150; }

void AdministrationScreen::Save(int row) {
  const SwitchRef sw = rows_.at(static_cast<std::size_t>(row)).sw;
  if (navigator().Find(sw) == nullptr) {
    // The box belongs to the window; this screen is replaced once it closes.
    ScreenHost& screens = navigator();
    QMessageBox::critical(window(), ToQt(kApplicationTitle), ToQt(kSwitchLostText));
    screens.Open(Target::kAdministration, SwitchRef{});
    return;
  }
  navigator().Open(Target::kSaveConfiguration, sw);
}

// The switch as it is managed now must be the one listed: same object, same serial number.
void AdministrationScreen::Load(int row) {
  const Row& listed = rows_.at(static_cast<std::size_t>(row));
  SwitchView sw = navigator().Find(listed.sw);
  if (sw == nullptr || ToQt(sw.record().serialNumber.get()) != listed.serial) {
    navigator().Open(Target::kAdministration, SwitchRef{});
    return;
  }
  navigator().Open(Target::kLoadConfiguration, listed.sw);
}

void AdministrationScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  PaintGrid(painter, kWatchGrid, {kWatchLabelWidth, kWatchValueWidth}, 2, true);
  const int valueX = kWatchGrid.x() + kWatchLabelWidth + 1 + 4;
  PaintLabel(painter, kWatchGrid + QPoint(4, 5), QStringLiteral("項目"), true);
  PaintLabel(painter, kWatchGrid + QPoint(kWatchLabelWidth + 5, 5), QStringLiteral("設定値"), true);
  const int first = kWatchGrid.y() + kHeaderRowHeight + 1;
  PaintLabel(painter, QPoint(kWatchGrid.x() + 4, first + 4),
             QStringLiteral("スイッチの監視時間間隔"), true);
  PaintLabel(painter, QPoint(valueX, first + 4), QStringLiteral("%1秒").arg(interval_), false);
  const int second = first + kRowStep;
  PaintLabel(painter, QPoint(kWatchGrid.x() + 4, second + 4),
             QStringLiteral("ダウン検出までの監視回数"), true);
  PaintLabel(painter, QPoint(valueX, second + 4), QStringLiteral("%1回").arg(downCount_), false);

  PaintLabel(painter, QPoint(kWatchGrid.x() + 2, GridTop() - 22),
             QString::fromUtf8(kManagementStateText), true);
  const std::vector<int> columns{widths_[0], widths_[1], widths_[2], kMacWidth, kButtonsWidth};
  PaintGrid(painter, QPoint(kWatchGrid.x(), GridTop()), columns, static_cast<int>(rows_.size()),
            false);
  const QString headings[] = {QStringLiteral("名称"), QStringLiteral("機種"),
                              QStringLiteral("シリアル番号"), QStringLiteral("MACアドレス"),
                              QStringLiteral("    設定の読込")};
  int x = kWatchGrid.x();
  for (std::size_t column = 0; column < columns.size(); ++column) {
    PaintLabel(painter, QPoint(x + 4, GridTop() + 5), headings[column], true);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      const Row& row = rows_[i];
      const QString cells[] = {row.name, row.model, row.serial, row.mac, QString()};
      const int y = GridTop() + kHeaderRowHeight + 1 + static_cast<int>(i) * kRowStep + 4;
      PaintLabel(painter, QPoint(x + 4, y), cells[column], false);
    }
    x += columns[column] + 1;
  }
}

}  // namespace ntr::ui
