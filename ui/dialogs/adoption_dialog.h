// The adoption question (template 183): whose settings govern a switch that
// discovery found. Modal; 6 for the first button (1011), 7 for the second
// (1027).
#pragma once

#include <QDialog>

#include "app/operator.h"

namespace ntr::ui {

class AdoptionDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kFirstButton = 6;
  static constexpr int kSecondButton = 7;

  AdoptionDialog(AdoptionQuestion mode, const MacAddress& mac, QWidget* parent);

  // Runs the dialog; 6 or 7. Esc and the window's close answer 7: the second
  // button is, in every mode, the answer that sends nothing to the switch
  // (keep its own settings, or leave the tool's record at the defaults)
  // where the first one writes the tool's or the factory settings onto it.
  int Ask();
  // Ends a running question as if 1011 had been pressed (the system is
  // going to sleep).
  void EndAsFirstButton();

 protected:
  void reject() override;
};

}  // namespace ntr::ui
