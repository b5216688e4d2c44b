// How every screen draws its form: white background, the title with its
// rule, grids of header and data cells, labels in the screens' font.
#pragma once

#include <QPainter>
#include <QString>
#include <vector>

namespace ntr::ui {

inline constexpr QPoint kTitlePosition{25, 10};
inline constexpr int kHeaderRowHeight = 25;
inline constexpr int kDataRowHeight = 22;
// Where a form's first grid starts, below the title.
inline constexpr QPoint kGridOrigin{10, 45};
// Room beside a cell's text, and beside a choice box's text for its arrow and frame.
inline constexpr int kCellPadding = 12;
inline constexpr int kBoxArrowRoom = 40;
// The "設定"/"キャンセル" row under a form: its height and its gap to the grid.
inline constexpr int kButtonHeight = 20;
inline constexpr int kButtonGap = 15;
// The buttons' widths: "設定"; "キャンセル" and "閉じる"; "実行", "はい" and "いいえ";
// "参照". A button grows with a longer caption.
inline constexpr int kSetButtonWidth = 40;
inline constexpr int kCancelButtonWidth = 80;
inline constexpr int kRunButtonWidth = 60;
inline constexpr int kBrowseButtonWidth = 50;
// Between the two buttons of a centred row.
inline constexpr int kButtonSpacing = 6;

// Title at (25, 10), 16 pt bold, with a 1 px rule 24 px below its top from
// its x to the width minus that x.
void PaintTitle(QPainter& painter, const QString& title, int width);

// A grid at `origin`: a header row and `rows` data rows over `columns`
// (widths), 1 px apart. Header cells in the frame's colour (the first one in
// the row colour in label-column style), data rows alternating.
void PaintGrid(QPainter& painter, QPoint origin, const std::vector<int>& columns, int rows,
               bool labelColumn);

// `rows` data rows at `origin` (no header row), alternating from the first colour.
void PaintRows(QPainter& painter, QPoint origin, const std::vector<int>& columns, int rows);

// Text with its top left at `at`, 10 pt.
void PaintLabel(QPainter& painter, QPoint at, const QString& text, bool bold);

}  // namespace ntr::ui
