// A one-line edit that lets through only the characters of its mode. Enter
// and Esc never reach it (Esc cancels the screen); a press puts the caret
// under the pointer.
#pragma once

#include <QLineEdit>

namespace ntr::ui {

enum class EditFilter {
  kAny = 0,           // everything
  kDigits = 1,        // 0-9
  kLetters = 2,       // A-Z, a-z
  kAlphanumeric = 3,  // digits and letters
  kRate = 4,          // digits, letters, "*", "+", "-"
  kName = 5,          // digits, letters, "-", "_"
};

// Whether `c` may be typed in a field of `filter`.
bool FilterAccepts(EditFilter filter, QChar c);

class FilteredEdit : public QLineEdit {
  Q_OBJECT

 public:
  FilteredEdit(EditFilter filter, QWidget* parent = nullptr);
  EditFilter filter() const { return filter_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  EditFilter filter_;
};

}  // namespace ntr::ui
