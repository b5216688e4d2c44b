#include "ui/screens/choice_box.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QStandardItemModel>
#include <QWheelEvent>

#include "ui/style/fonts.h"

namespace ntr::ui {

ChoiceBox::ChoiceBox(QWidget* parent) : QComboBox(parent) {
  setFont(UiFont());
  setFocusPolicy(Qt::StrongFocus);  // no focus by the wheel
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

}  // namespace ntr::ui
