#include "ui/forms/filtered_edit.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "ui/style/fonts.h"

namespace ntr::ui {

bool FilterAccepts(EditFilter filter, QChar c) {
  const char16_t u = c.unicode();
  const bool digit = u >= u'0' && u <= u'9';
  const bool letter = (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
  switch (filter) {
    case EditFilter::kAny:
      return true;
    case EditFilter::kDigits:
      return digit;
    case EditFilter::kLetters:
      return letter;
    case EditFilter::kAlphanumeric:
      return digit || letter;
    case EditFilter::kRate:
      return digit || letter || u == u'*' || u == u'+' || u == u'-';
    case EditFilter::kName:
      return digit || letter || u == u'-' || u == u'_';
  }
  return false;
}

FilteredEdit::FilteredEdit(EditFilter filter, QWidget* parent)
    : QLineEdit(parent), filter_(filter) {
  setFont(UiFont());
}

void FilteredEdit::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->ignore();  // to the screen: Esc cancels it
      return;
    default:
      break;
  }
  const QString text = event->text();
  const bool typed = !text.isEmpty() && text.at(0).isPrint();
  if (typed && filter_ != EditFilter::kAny) {
    for (QChar c : text) {
      if (!FilterAccepts(filter_, c)) return;  // dropped silently
    }
  }
  QLineEdit::keyPressEvent(event);
}

void FilteredEdit::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    setFocus(Qt::MouseFocusReason);
    deselect();
    setCursorPosition(cursorPositionAt(event->position().toPoint()));
  }
  QLineEdit::mousePressEvent(event);
}

}  // namespace ntr::ui
