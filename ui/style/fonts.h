// The window's fonts. Every family list starts with the font the screens were
// designed for and falls back to the Japanese fonts a Linux desktop has, so
// that Japanese text never lands in a font without its glyphs.
#pragma once

#include <QFont>
#include <QStringList>

namespace ntr::ui {

// Screens, panels and the pop-up: 10 point, titles 16 point bold.
QStringList UiFontFamilies();
// Dialogs (progress, question, failure report, adapter choice).
QStringList DialogFontFamilies();

QFont UiFont(int pointSize = 10, bool bold = false);
QFont TitleFont();
QFont DialogFont();

// Makes the dialog font the application's default (every widget not given
// another font uses it).
void InstallApplicationFont();

}  // namespace ntr::ui
