#include "ui/style/fonts.h"

#include <QApplication>

namespace ntr::ui {

namespace {

// Fallbacks after the designed font: IPA Gothic, proportional first like the
// designed fonts (fonts-ipafont-gothic), Noto
// Sans CJK JP (fonts-noto-cjk), then whatever sans-serif font fontconfig has.
const QStringList kJapaneseFallbacks{"IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "sans-serif"};

QFont FontOf(const QStringList& families, int pointSize, bool bold) {
  QFont font;
  font.setFamilies(families);
  font.setPointSize(pointSize);
  font.setBold(bold);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace

QStringList UiFontFamilies() { return QStringList{"MS UI Gothic"} + kJapaneseFallbacks; }

QStringList DialogFontFamilies() { return QStringList{"MS Shell Dlg"} + kJapaneseFallbacks; }

QFont UiFont(int pointSize, bool bold) { return FontOf(UiFontFamilies(), pointSize, bold); }

QFont TitleFont() { return UiFont(16, true); }

QFont DialogFont() { return FontOf(DialogFontFamilies(), 9, false); }

void InstallApplicationFont() { QApplication::setFont(DialogFont()); }

}  // namespace ntr::ui
