#include "ui/dialogs/adoption_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/dialogs/dialog_ids.h"
#include "ui/dialogs/dialog_setup.h"
#include "ui/style/text.h"

namespace ntr::ui {

AdoptionDialog::AdoptionDialog(AdoptionQuestion mode, const MacAddress& mac, QWidget* parent)
    : QDialog(parent) {
  SetUpDialog(*this, ids::adoption::kDialog);
  setModal(true);
  const AdoptionQuestionText texts = AdoptionQuestionTexts(mode, mac);

  auto* first = new QPushButton(ToQt(texts.firstButton), this);
  first->setObjectName(ids::adoption::kFirst);
  auto* second = new QPushButton(ToQt(texts.secondButton), this);
  second->setObjectName(ids::adoption::kSecond);
  // Both buttons as wide as the wider one, and never narrower than a usual button.
  const int buttonWidth = std::max({first->sizeHint().width(), second->sizeHint().width(),
                                    fontMetrics().averageCharWidth() * 12});
  first->setMinimumWidth(buttonWidth);
  second->setMinimumWidth(buttonWidth);
  connect(first, &QPushButton::clicked, this, [this] { done(kFirstButton); });
  connect(second, &QPushButton::clicked, this, [this] { done(kSecondButton); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(first);
  buttons->addWidget(second);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(FixedText(ToQt(texts.message), ids::adoption::kMessage, *this));
  layout->addWidget(FixedText(ToQt(texts.question), ids::adoption::kQuestion, *this));
  layout->addSpacing(fontMetrics().height());
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  first->setDefault(true);
  first->setFocus();
}

int AdoptionDialog::Ask() { return exec() == kFirstButton ? kFirstButton : kSecondButton; }

void AdoptionDialog::EndAsFirstButton() {
  if (isVisible()) done(kFirstButton);
}

void AdoptionDialog::reject() { done(kSecondButton); }

}  // namespace ntr::ui
