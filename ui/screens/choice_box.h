// A drop-down list whose entries can be disabled: the keys skip them, Enter
// refuses them, and the wheel changes the choice only while the pointer is
// over the box or its list is open (otherwise the wheel goes to the parent).
#pragma once

#include <QComboBox>

namespace ntr::ui {

class ChoiceBox : public QComboBox {
  Q_OBJECT

 public:
  explicit ChoiceBox(QWidget* parent = nullptr);

  void SetItemEnabled(int index, bool enabled);
  bool ItemEnabled(int index) const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  // The next enabled entry from `from` in `step` direction, -1 when none.
  int NextEnabled(int from, int step) const;
};

}  // namespace ntr::ui
