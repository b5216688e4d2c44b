#include "ui/dialogs/dialog_setup.h"

#include <QDialog>
#include <QLabel>

#include "app/operator.h"
#include "ui/style/fonts.h"
#include "ui/style/text.h"

namespace ntr::ui {

void SetUpDialog(QDialog& dialog, const char* templateId) {
  if (templateId[0] != '\0') dialog.setObjectName(templateId);
  dialog.setWindowTitle(ToQt(kApplicationTitle));
  dialog.setFont(DialogFont());
  dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

QLabel* FixedText(const QString& text, const char* id, QDialog& dialog) {
  auto* label = new QLabel(text, &dialog);
  if (id[0] != '\0') label->setObjectName(id);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(false);
  return label;
}

}  // namespace ntr::ui
