// Colours shared by several parts of the window.
#pragma once

#include <QColor>

namespace ntr::ui {

// The 2 px rules on the top panel and the legend panel.
inline const QColor kRuleColour{172, 168, 153};
// Panels and pages are painted white.
inline const QColor kPageColour{255, 255, 255};

}  // namespace ntr::ui

// The setting frame's border and caption tab, and the header cells of forms.
inline const QColor kFrameColour{148, 161, 224};
// Form rows alternate these two, the first row (and label cells) the first.
inline const QColor kRowColour{226, 228, 227};
inline const QColor kAlternateRowColour{240, 243, 242};
