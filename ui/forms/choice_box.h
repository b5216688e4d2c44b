// A drop-down list whose entries can be disabled: the keys skip them, Enter
// refuses them, and the wheel changes the choice only while the pointer is
// over the box or its list is open (otherwise the wheel goes to the parent).
// Disabled entries are drawn grey, in the list and in the box, highlighted or
// not; the whole box disabled shows its entry grey on the inactive colour.
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
  void paintEvent(QPaintEvent* event) override;

 private:
  // The next enabled entry from `from` in `step` direction, -1 when none.
  int NextEnabled(int from, int step) const;
  // The colours of the shown entry.
  QColor FieldColour() const;
  QColor TextColour() const;
};

}  // namespace ntr::ui
