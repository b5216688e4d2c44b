#include "ui/dialogs/setting_failures_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/dialogs/dialog_ids.h"
#include "ui/dialogs/dialog_setup.h"

namespace ntr::ui {

SettingFailuresDialog::SettingFailuresDialog(QString macText, QStringList reasons,
                                             QString errorLogPath, QWidget* parent)
    : QDialog(parent) {
  SetUpDialog(*this, ids::setting_failures::kDialog);
  setWindowTitle(QStringLiteral("設定失敗"));
  setModal(true);

  auto* mac = new QHBoxLayout;
  mac->setSpacing(0);
  mac->addWidget(FixedText(QStringLiteral("NTRのMACアドレス："), "", *this));
  mac->addWidget(FixedText(macText, ids::setting_failures::kMac, *this));
  mac->addStretch();

  auto* list = new QListWidget(this);
  list->setObjectName(ids::setting_failures::kList);
  list->addItems(reasons);
  list->setSelectionMode(QAbstractItemView::NoSelection);
  list->setFocusPolicy(Qt::NoFocus);
  // Ten lines, as wide as the widest reason (at least 60 characters).
  int widest = fontMetrics().averageCharWidth() * 60;
  for (const QString& reason : reasons) {
    widest = std::max(widest, fontMetrics().horizontalAdvance(reason));
  }
  list->setMinimumSize(widest + 2 * list->frameWidth() + 24,
                       fontMetrics().lineSpacing() * 10 + 2 * list->frameWidth());

  auto* path = FixedText(errorLogPath, ids::setting_failures::kErrorLogPath, *this);
  path->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* where = new QHBoxLayout;
  where->setSpacing(0);
  where->addWidget(FixedText(QStringLiteral("失敗した理由は"), "", *this));
  where->addSpacing(fontMetrics().averageCharWidth());
  where->addWidget(path);
  where->addSpacing(fontMetrics().averageCharWidth());
  where->addWidget(FixedText(QStringLiteral("を確認してください。"), "", *this));
  where->addStretch();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
  buttons->setCenterButtons(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      FixedText(QStringLiteral("以下の設定を正しく行うことができませんでした。"), "", *this));
  layout->addLayout(mac);
  layout->addWidget(list, 1);
  layout->addLayout(where);
  layout->addWidget(buttons);
}

}  // namespace ntr::ui
