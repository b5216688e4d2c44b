#include "ui/top_page/top_panel.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "app/switch_view.h"
#include "ui/popup/popup_window.h"
#include "ui/style/colours.h"
#include "ui/style/fonts.h"
#include "ui/switch_picture/picture_drawing.h"
#include "ui/top_page/focus_ring.h"
#include "ui/top_page/top_page_ids.h"

namespace ntr::ui {

namespace {

// The explanation: its first eight characters are bold.
const char kExplanation[] =
    "現在のリンク状態を表示します。\n"
    "機器の筐体部分またはポート部分をダブルクリックすると、機器または各ポートの設定を変更できます"
    "。";
constexpr int kBoldCharacters = 8;
constexpr int kRuleY = 197;
constexpr QPoint kComputerAt{24, 44};

}  // namespace

TopPanel::TopPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(ids::top::kTopPanel);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFont(UiFont());
  export_ = AddButton(ids::top::kExport, "スイッチの設定をエクスポート");
  import_ = AddButton(ids::top::kImport, "スイッチの設定をインポート");
  allDetailed_ = AddButton(ids::top::kAllDetailed, "全ての管理スイッチを詳細表示");
  allIcons_ = AddButton(ids::top::kAllIcons, "全ての管理スイッチをアイコン表示");
  // Two columns of two buttons right of the computer: the display on the
  // left, the files on the right, each column as wide as its wider button.
  const int left = ComputerRect().right() + 1 + 32;
  const int top = kComputerAt.y() + 2;
  int x = left;
  for (auto column : {std::pair{allDetailed_, allIcons_}, std::pair{export_, import_}}) {
    const int width =
        std::max(column.first->sizeHint().width(), column.second->sizeHint().width()) + 24;
    const int height = column.first->sizeHint().height() + 2;
    column.first->setGeometry(x, top, width, height);
    column.second->setGeometry(x, top + height + 8, width, height);
    x += width + 16;
  }
  legend_ = new LegendPanel(this);
  for (QPushButton* button : {legend_->redisplayButton(), legend_->closeButton()}) {
    button->installEventFilter(this);
  }
  connect(export_, &QPushButton::clicked, this, &TopPanel::exportRequested);
  connect(import_, &QPushButton::clicked, this, &TopPanel::importRequested);
  connect(allDetailed_, &QPushButton::clicked, this, [this] {
    SetAllDetailed(true);
    RestoreFocus();
  });
  connect(allIcons_, &QPushButton::clicked, this, [this] {
    SetAllDetailed(false);
    RestoreFocus();
  });
  connect(legend_->redisplayButton(), &QPushButton::clicked, this, &TopPanel::redisplayRequested);
  connect(legend_->closeButton(), &QPushButton::clicked, this, &TopPanel::closeRequested);
  resize(810, kHeaderHeight + legend_->height());
}

QPushButton* TopPanel::AddButton(const char* id, const char* text) {
  auto* button = new QPushButton(QString::fromUtf8(text), this);
  button->setObjectName(QString::fromLatin1(id));
  button->setFont(UiFont());
  button->setAutoDefault(false);
  button->installEventFilter(this);
  return button;
}

QRect TopPanel::ComputerRect() { return QRect(kComputerAt, PictureSize(PictureId::kComputer)); }

void TopPanel::SetPopup(PopupWindow* popup) {
  popup_ = popup;
  if (popup_ != nullptr) popup_->installEventFilter(this);
}

SwitchPanel* TopPanel::AddSwitch(SwitchView sw) {
  auto* panel = new SwitchPanel(sw, popup_, this);
  panels_[sw.ref().generation] = panel;
  connect(panel, &SwitchPanel::screenRequested, this, &TopPanel::screenRequested);
  panel->lower();  // under the pop-up and the setting frame that float over the page
  return panel;
}

void TopPanel::RemoveSwitch(const SwitchRef& ref) {
  const auto found = panels_.find(ref.generation);
  if (found == panels_.end()) return;
  delete found->second;
  panels_.erase(found);
}

SwitchPanel* TopPanel::PanelOf(const SwitchRef& ref) const {
  const auto found = panels_.find(ref.generation);
  return found == panels_.end() ? nullptr : found->second;
}

std::vector<SwitchPanel*> TopPanel::Panels() const {
  std::vector<SwitchPanel*> panels;
  for (const auto& [generation, panel] : panels_) panels.push_back(panel);
  return panels;
}

void TopPanel::SetAllDetailed(bool detailed) {
  for (const auto& [generation, panel] : panels_) panel->SetDetailed(detailed);
}

void TopPanel::SetFileButtonsEnabled(bool enabled) {
  export_->setEnabled(enabled);
  import_->setEnabled(enabled);
}

QPushButton* TopPanel::button(const QString& objectName) const {
  return findChild<QPushButton*>(objectName);
}

void TopPanel::FocusButton(int position) {
  QPushButton* target = button(FocusButtonName(position));
  if (target == nullptr) return;
  focusPosition_ = position;
  for (int i = 0; i < kFocusPositions; ++i) {
    if (QPushButton* other = button(FocusButtonName(i))) other->setDefault(other == target);
  }
  target->setFocus(Qt::TabFocusReason);
  if (scroll_) scroll_(target);
}

bool TopPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == popup_ && event->type() == QEvent::Leave) {
    PopupLeft();
    return false;
  }
  auto* button = qobject_cast<QPushButton*>(watched);
  const int position = button != nullptr ? FocusPositionOf(button->objectName()) : -1;
  if (position < 0) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::FocusIn) {
    focusPosition_ = position;
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  bool forward = false;
  switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Right:
    case Qt::Key_Down:
      forward = true;
      break;
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Up:
      forward = false;
      break;
    default:
      return false;
  }
  // Disabled buttons (export and import while a screen is open) are passed over.
  int next = position;
  for (int step = 0; step < kFocusPositions; ++step) {
    next = NextFocusPosition(next, forward);
    if (QPushButton* candidate = this->button(FocusButtonName(next));
        candidate && candidate->isEnabled())
      break;
  }
  FocusButton(next);
  return true;
}

// The pointer left the pop-up: whatever is under it now decides what shows.
void TopPanel::PopupLeft() {
  const QPoint global = QCursor::pos();
  for (const auto& [generation, panel] : panels_) {
    if (panel->hovering()) panel->HoverAt(panel->mapFromGlobal(global));
  }
  if (computerHovered_) HoverAt(mapFromGlobal(global));
}

void TopPanel::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), kPageColour);
  DrawPicture(painter, kComputerAt, PictureId::kComputer);
  const QString text = QString::fromUtf8(kExplanation);
  const QString first = text.section('\n', 0, 0);
  const QString second = text.section('\n', 1, 1);
  const QFont normal = UiFont();
  const QFont bold = UiFont(10, true);
  const QFontMetrics metrics(normal);
  const int lineHeight = metrics.height() + 4;
  const int baseline = kRuleY - 10 - lineHeight - metrics.descent();
  painter.setPen(Qt::black);
  painter.setFont(bold);
  const QString boldPart = first.left(kBoldCharacters);
  painter.drawText(QPoint(5, baseline), boldPart);
  const int boldWidth = QFontMetrics(bold).horizontalAdvance(boldPart);
  painter.setFont(normal);
  painter.drawText(QPoint(5 + boldWidth, baseline), first.mid(kBoldCharacters));
  painter.drawText(QPoint(5, baseline + lineHeight), second);
  painter.setPen(QPen(kRuleColour, 2));
  painter.drawLine(5, kRuleY, 805, kRuleY);
}

void TopPanel::HoverAt(QPoint point) {
  if (popup_ == nullptr) return;
  if (popup_->ContainsGlobal(mapToGlobal(point))) return;
  const bool inside = ComputerRect().contains(point);
  if (inside && !computerHovered_) {
    computerHovered_ = true;
    popup_->Show(kPopupApplication, nullptr, -1, ComputerRect());
  } else if (!inside && computerHovered_) {
    computerHovered_ = false;
    popup_->Hide(kPopupApplication, nullptr, -1, ComputerRect());
  }
}

void TopPanel::HidePopup() {
  for (const auto& [generation, panel] : panels_) panel->HoverAt(QPoint(-1, -1));
  HoverAt(QPoint(-1, -1));
}

void TopPanel::mouseMoveEvent(QMouseEvent* event) { HoverAt(event->position().toPoint()); }

void TopPanel::leaveEvent(QEvent*) {
  if (popup_ != nullptr && popup_->ContainsGlobal(QCursor::pos())) return;
  HoverAt(QPoint(-1, -1));
}

void TopPanel::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && ComputerRect().contains(event->position().toPoint())) {
    emit administrationRequested();
  }
}

}  // namespace ntr::ui
