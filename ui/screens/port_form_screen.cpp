#include "ui/screens/port_form_screen.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/style/fonts.h"

namespace ntr::ui {

namespace {

constexpr int kMinLabelWidth = 160;
constexpr int kMinBoxWidth = 220;

int RowY(std::size_t row) {
  return kGridOrigin.y() + kHeaderRowHeight + 1 + static_cast<int>(row) * (kDataRowHeight + 1);
}

}  // namespace

PortFormScreen::PortFormScreen(ScreenHost& screens, SwitchView sw, int port)
    : Screen(screens, sw, port, QSize(400, 150)) {}

void PortFormScreen::Cancel() { navigator().Open(Target::kPort, switchRef(), port()); }

ChoiceBox* PortFormScreen::AddChoice(const QString& label, const std::vector<PortChoice>& choices,
                                     std::int32_t current) {
  auto* box = new ChoiceBox(this);
  box->addItems(Texts(choices));
  box->setCurrentIndex(std::max(0, PositionOf(choices, current)));
  if (rows_.empty())
    SetInitialFocus(box);
  else
    setTabOrder(rows_.back().box, box);
  rows_.push_back({label, box});
  return box;
}

std::int32_t PortFormScreen::Chosen(const ChoiceBox* box, const std::vector<PortChoice>& choices) {
  const int index = box->currentIndex();
  if (index < 0 || index >= static_cast<int>(choices.size())) return choices.front().code;
  return choices[static_cast<std::size_t>(index)].code;
}

void PortFormScreen::Arrange() {
  const QFontMetrics bold(UiFont(10, true));
  const QFontMetrics normal(UiFont());
  labelWidth_ = kMinLabelWidth;
  boxWidth_ = kMinBoxWidth;
  for (const Row& row : rows_) {
    labelWidth_ = std::max(labelWidth_, bold.horizontalAdvance(row.label) + kCellPadding);
    for (int i = 0; i < row.box->count(); ++i) {
      boxWidth_ =
          std::max(boxWidth_, normal.horizontalAdvance(row.box->itemText(i)) + kBoxArrowRoom);
    }
  }
  const int boxX = kGridOrigin.x() + labelWidth_ + 1 + 4;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    rows_[i].box->setGeometry(boxX, RowY(i) + 1, boxWidth_ - 8, kDataRowHeight - 2);
  }
  const int gridRight = kGridOrigin.x() + labelWidth_ + 1 + boxWidth_;
  const int titleRight =
      2 * kTitlePosition.x() + QFontMetrics(TitleFont()).horizontalAdvance(title());
  const int width = std::max(gridRight + kGridOrigin.x(), titleRight);
  const int buttonY = RowY(rows_.size()) + kButtonGap;

  const auto [set, cancel] = AddSetCancelRow(kFormSet, kFormCancel, buttonY, RowPlace::kCentred,
                                             width, [this] { Submit(); });
  if (!rows_.empty()) setTabOrder(rows_.back().box, set);
  setTabOrder(set, cancel);
  setFixedSize(width, buttonY + kButtonHeight + kButtonGap);
}

void PortFormScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  PaintGrid(painter, kGridOrigin, {labelWidth_, boxWidth_}, static_cast<int>(rows_.size()), false);
  PaintLabel(painter, kGridOrigin + QPoint(4, 5), QStringLiteral("項目"), true);
  PaintLabel(painter, kGridOrigin + QPoint(labelWidth_ + 5, 5), QStringLiteral("設定値"), true);
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    PaintLabel(painter, QPoint(kGridOrigin.x() + 4, RowY(i) + 4), rows_[i].label, true);
  }
}

}  // namespace ntr::ui
