#include "ui/dialogs/progress_dialog.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/dialogs/dialog_ids.h"
#include "ui/dialogs/dialog_setup.h"

namespace ntr::ui {

ProgressDialog::ProgressDialog(QWidget* parent) : QDialog(parent) {
  SetUpDialog(*this, ids::progress::kDialog);
  setModal(false);

  heading_ = FixedText(QStringLiteral("機器設定の読込み"), ids::progress::kHeading, *this);
  QFont headingFont = heading_->font();
  headingFont.setBold(true);
  heading_->setFont(headingFont);

  auto* rule = new QFrame(this);
  rule->setObjectName(ids::progress::kRule);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);

  text_ = FixedText(QString(), ids::progress::kText, *this);
  bar_ = new QProgressBar(this);
  bar_->setObjectName(ids::progress::kBar);
  bar_->setRange(0, 100);
  bar_->setTextVisible(false);
  // A bar well wider than the text at 100 %.
  bar_->setMinimumWidth(
      fontMetrics().horizontalAdvance(QStringLiteral("設定を読込んでいます(100%)")) * 3 / 2);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  layout->addWidget(rule);
  layout->addSpacing(fontMetrics().height() / 2);
  layout->addWidget(text_);
  layout->addWidget(bar_);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  ShowPercent();
}

void ProgressDialog::SetPercent(int percent) {
  if (percent == percent_) return;
  percent_ = percent;
  ShowPercent();
}

void ProgressDialog::ShowPercent() {
  text_->setText(QStringLiteral("設定を読込んでいます(%1%)").arg(percent_));
  bar_->setValue(std::clamp(percent_, 0, 100));
}

void ProgressDialog::showEvent(QShowEvent* event) {
  ShowPercent();
  QDialog::showEvent(event);
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
  if (!event->spontaneous()) return QDialog::closeEvent(event);
  event->ignore();
  emit closeRequested();
}

void ProgressDialog::reject() { emit closeRequested(); }

}  // namespace ntr::ui
