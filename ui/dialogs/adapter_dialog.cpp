#include "ui/dialogs/adapter_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/dialogs/dialog_setup.h"
#include "ui/style/text.h"

namespace ntr::ui {

AdapterDialog::AdapterDialog(const std::vector<AdapterInfo>& adapters, QWidget* parent)
    : QDialog(parent) {
  SetUpDialog(*this, "");
  setModal(true);

  list_ = new QTableWidget(static_cast<int>(adapters.size()), 2, this);
  list_->setObjectName("adapters");
  list_->horizontalHeader()->hide();
  list_->verticalHeader()->hide();
  list_->setShowGrid(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setWordWrap(false);
  list_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  // The address column is 100 px, wider when an address needs it; the
  // description takes the rest.
  const int padding = 2 * fontMetrics().averageCharWidth();
  int addressWidth = 100;
  int descriptionWidth = fontMetrics().averageCharWidth() * 30;
  for (std::size_t i = 0; i < adapters.size(); ++i) {
    const int row = static_cast<int>(i);
    const QString address = ToQt(adapters[i].addressText);
    const QString description = ToQt(adapters[i].description);
    list_->setItem(row, 0, new QTableWidgetItem(address));
    list_->setItem(row, 1, new QTableWidgetItem(description));
    addressWidth = std::max(addressWidth, fontMetrics().horizontalAdvance(address) + padding);
    descriptionWidth =
        std::max(descriptionWidth, fontMetrics().horizontalAdvance(description) + padding);
  }
  list_->setColumnWidth(0, addressWidth);
  list_->horizontalHeader()->setStretchLastSection(true);
  const int rows = std::clamp(static_cast<int>(adapters.size()), 4, 8);
  list_->setMinimumSize(
      addressWidth + descriptionWidth + 2 * list_->frameWidth(),
      rows * list_->verticalHeader()->defaultSectionSize() + 2 * list_->frameWidth());
  if (!adapters.empty()) list_->selectRow(0);
  connect(list_, &QTableWidget::cellDoubleClicked, this, [this](int, int) { TakeSelection(); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
  connect(buttons, &QDialogButtonBox::accepted, this, &AdapterDialog::TakeSelection);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(FixedText(
      QStringLiteral("L2スイッチとの通信に使用するネットワーク接続を選択して下さい。"), "", *this));
  layout->addWidget(list_, 1);
  layout->addWidget(buttons);
}

void AdapterDialog::TakeSelection() {
  const auto rows = list_->selectionModel()->selectedRows();
  if (rows.isEmpty()) return;  // OK without a row does nothing
  chosen_ = static_cast<std::size_t>(rows.front().row());
  accept();
}

std::optional<std::size_t> AdapterDialog::Choose() {
  chosen_.reset();
  if (exec() != QDialog::Accepted) return std::nullopt;
  return chosen_;
}

}  // namespace ntr::ui
