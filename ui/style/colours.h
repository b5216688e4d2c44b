// Colours shared by several parts of the window.
#pragma once

#include <QColor>

namespace ntr::ui {

// The 2 px rules on the top panel and the legend panel.
inline const QColor kRuleColour{172, 168, 153};
// Panels and pages are painted white.
inline const QColor kPageColour{255, 255, 255};

}  // namespace ntr::ui
