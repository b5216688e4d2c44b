// The keyboard focus across the top panel and the legend panel: six buttons
// in one ring, Tab (and Right, Down) forward, Shift+Tab (and Left, Up)
// backward. The positions are the application's: 0 = 1001, 1 = 1002,
// 2 = 1006, 3 = 1007, 4 = 1011, 5 = 1012.
#pragma once

#include <QString>

namespace ntr::ui {

inline constexpr int kFocusPositions = 6;

// The position after `position` in the given direction.
int NextFocusPosition(int position, bool forward);
// The object name of the button at `position`.
QString FocusButtonName(int position);
// The position of the button with this object name, or -1.
int FocusPositionOf(const QString& buttonName);
// Whether the position lies on the top panel (else the legend panel).
bool OnTopPanel(int position);

}  // namespace ntr::ui
