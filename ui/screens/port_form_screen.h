// The frame of a port's edit screen: rows of a bold label and a choice box
// over a label-column grid, "設定" and "キャンセル" under it. The columns grow
// with the widest label and entry; the cancel leads back to the port screen.
#pragma once

#include <vector>

#include "ui/forms/choice_box.h"
#include "ui/forms/port_choices.h"
#include "ui/forms/screen.h"

namespace ntr::ui {

class PortFormScreen : public Screen {
  Q_OBJECT

 public:
  void Cancel() override;

 protected:
  // "設定": by default the apply; a screen with checks of its own overrides it.
  virtual void Submit() { Apply(); }
  PortFormScreen(ScreenHost& screens, SwitchView sw, int port);

  // A row with a choice box of `choices`, showing `current` (the first entry when none fits).
  ChoiceBox* AddChoice(const QString& label, const std::vector<PortChoice>& choices,
                       std::int32_t current);
  // Places the rows and the buttons and sizes the screen; called once after the rows.
  void Arrange();
  // The first row's box (the control the focus moves on from after opening).
  ChoiceBox* FirstChoice() const { return rows_.empty() ? nullptr : rows_.front().box; }
  // The code of the entry a row's box shows.
  static std::int32_t Chosen(const ChoiceBox* box, const std::vector<PortChoice>& choices);

  void paintEvent(QPaintEvent* event) override;

 private:
  struct Row {
    QString label;
    ChoiceBox* box;
  };
  std::vector<Row> rows_;
  int labelWidth_ = 0;
  int boxWidth_ = 0;
};

}  // namespace ntr::ui
