// The lines of the pop-up information window, built from what is shown:
// the application, a switch, one of its ports, or a switch whose model is
// not known yet. Pure: the caller measures text in its font.
#pragma once

#include <QColor>
#include <QPoint>
#include <QSize>
#include <QString>
#include <functional>
#include <vector>

namespace ntr {
struct SwitchRecord;
}

namespace ntr::ui {

// What the pop-up shows (the numbers are the top page's).
enum PopupKind : int {
  kPopupNone = 0,
  kPopupApplication = 1,
  kPopupSwitch = 2,
  kPopupPort = 3,
  kPopupUnknownModel = 4,  // a switch whose model is not known (being read, or not one of ours)
};

// The pop-up's frame along its four edges, and the room between the frame and
// the text on every side.
inline constexpr int kPopupFrameWidth = 2;
inline constexpr int kPopupMargin = 4;
// Where the text starts, and what the frame and the margins add to its size on each side.
inline constexpr int kPopupInset = kPopupFrameWidth + kPopupMargin;

// One piece of text at its place (top-left corner, in pixels of the pop-up).
// Lines with a label and a value in another colour are two pieces on one row.
struct PopupLine {
  QString text;
  QPoint position;
  QColor colour;
  bool bold = false;
};

// The advance width and the height of a text in the pop-up's normal or bold font.
using TextMeasure = std::function<QSize(const QString& text, bool bold)>;

struct PopupSubject {
  int kind = kPopupNone;
  const SwitchRecord* record = nullptr;  // kinds 2 to 4
  int port = -1;                         // kind 3: 0-based
  bool reading = false;                  // kind 4: its identity or settings are being read
  QString version;                       // kind 1
  int managedCount = 0;                  // kind 1
};

struct PopupText {
  std::vector<PopupLine> lines;
  QSize size;         // the widest row by the sum of the row heights, plus the inset on each side
  int refreshMs = 0;  // the refresh timer's period; 0: nothing to refresh
};

PopupText BuildPopupText(const PopupSubject& subject, const TextMeasure& measure);

}  // namespace ntr::ui
