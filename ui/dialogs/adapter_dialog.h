// The adapter choice: which network connection talks to the switches. One
// row per adapter (address, description), the first preselected; OK or a
// double click takes the selected row. No Cancel: any other close cancels.
#pragma once

#include <QDialog>
#include <cstddef>
#include <optional>
#include <vector>

#include "app/operator.h"

class QTableWidget;

namespace ntr::ui {

class AdapterDialog : public QDialog {
  Q_OBJECT

 public:
  AdapterDialog(const std::vector<AdapterInfo>& adapters, QWidget* parent);

  // Runs the dialog: the index of the chosen adapter, or nothing when closed
  // without OK.
  std::optional<std::size_t> Choose();

 private:
  void TakeSelection();

  QTableWidget* list_;
  std::optional<std::size_t> chosen_;
};

}  // namespace ntr::ui
