#include "ui/forms/choice_box.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QStandardItemModel>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QWheelEvent>

#include "ui/style/fonts.h"

namespace ntr::ui {

namespace {

constexpr int kTextMargin = 3;

QColor GreyText(const QPalette& palette) {
  return palette.color(QPalette::Disabled, QPalette::Text);
}

// An entry of the open list: highlighted when selected, its text grey when
// the entry is disabled.
class EntryDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const QPalette& palette = option.palette;
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const bool enabled = (index.flags() & Qt::ItemIsEnabled) != 0;
    painter->save();
    painter->fillRect(option.rect, palette.color(QPalette::Active,
                                                 selected ? QPalette::Highlight : QPalette::Base));
    painter->setPen(!enabled   ? GreyText(palette)
                    : selected ? palette.color(QPalette::Active, QPalette::HighlightedText)
                               : palette.color(QPalette::Active, QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(option.rect.adjusted(kTextMargin, 0, -kTextMargin, 0),
                      Qt::AlignVCenter | Qt::AlignLeft, index.data(Qt::DisplayRole).toString());
    painter->restore();
  }
};

}  // namespace

ChoiceBox::ChoiceBox(QWidget* parent) : QComboBox(parent) {
  setFont(UiFont());
  setFocusPolicy(Qt::StrongFocus);  // no focus by the wheel
  setItemDelegate(new EntryDelegate(this));
}

void ChoiceBox::SetItemEnabled(int index, bool enabled) {
  auto* items = qobject_cast<QStandardItemModel*>(model());
  if (items == nullptr || items->item(index) == nullptr) return;
  items->item(index)->setEnabled(enabled);  // disabled entries cannot be chosen in the list
}

bool ChoiceBox::ItemEnabled(int index) const {
  return (model()->flags(model()->index(index, 0)) & Qt::ItemIsEnabled) != 0;
}

int ChoiceBox::NextEnabled(int from, int step) const {
  for (int i = from + step; i >= 0 && i < count(); i += step) {
    if (ItemEnabled(i)) return i;
  }
  return -1;
}

void ChoiceBox::keyPressEvent(QKeyEvent* event) {
  int step = 0;
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Left) step = -1;
  if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Right) step = 1;
  if (step != 0 && !(event->modifiers() & Qt::AltModifier)) {
    const int next = NextEnabled(currentIndex(), step);
    if (next >= 0) setCurrentIndex(next);
    return;
  }
  const QString text = event->text();
  if (!text.isEmpty() && text.at(0).isPrint()) {
    for (int n = 1; n <= count(); ++n) {
      const int i = (currentIndex() + n) % count();
      if (ItemEnabled(i) && itemText(i).startsWith(text, Qt::CaseInsensitive)) {
        setCurrentIndex(i);
        break;
      }
    }
    return;
  }
  QComboBox::keyPressEvent(event);
}

void ChoiceBox::wheelEvent(QWheelEvent* event) {
  if (!underMouse() && !view()->isVisible()) {
    event->ignore();
    return;
  }
  const int next = NextEnabled(currentIndex(), event->angleDelta().y() > 0 ? -1 : 1);
  if (next >= 0) setCurrentIndex(next);
  event->accept();
}

QColor ChoiceBox::FieldColour() const {
  if (!isEnabled()) return palette().color(QPalette::Disabled, QPalette::Window);
  return palette().color(QPalette::Active, hasFocus() ? QPalette::Highlight : QPalette::Base);
}

QColor ChoiceBox::TextColour() const {
  if (!isEnabled() || (currentIndex() >= 0 && !ItemEnabled(currentIndex())))
    return GreyText(palette());
  return palette().color(QPalette::Active, hasFocus() ? QPalette::HighlightedText : QPalette::Text);
}

// The frame and the arrow as the style draws them; the shown entry by the
// colours above.
void ChoiceBox::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText.clear();
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  const QRect field =
      style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  painter.fillRect(field, FieldColour());
  painter.setPen(TextColour());
  painter.drawText(field.adjusted(kTextMargin, 0, -kTextMargin, 0),
                   Qt::AlignVCenter | Qt::AlignLeft, currentText());
}

}  // namespace ntr::ui
