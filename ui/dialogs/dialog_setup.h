// What every small dialog has in common: the application title as caption,
// the dialog font, its template number (if it has one) as object name, no
// context-help button.
#pragma once

class QDialog;
class QLabel;
class QString;

namespace ntr::ui {

void SetUpDialog(QDialog& dialog, const char* templateId);

// A label for fixed text with a control id as object name (empty: none);
// never wrapped, so a layout gives it its whole width.
QLabel* FixedText(const QString& text, const char* id, QDialog& dialog);

}  // namespace ntr::ui
