#include "ui/forms/form_painting.h"

#include <QFontMetrics>

#include "ui/style/colours.h"
#include "ui/style/fonts.h"

namespace ntr::ui {

void PaintTitle(QPainter& painter, const QString& title, int width) {
  painter.save();
  painter.setFont(TitleFont());
  painter.setPen(Qt::black);
  const QFontMetrics metrics(painter.font());
  painter.drawText(kTitlePosition + QPoint(0, metrics.ascent()), title);
  const int y = kTitlePosition.y() + 24;
  painter.fillRect(QRect(kTitlePosition.x(), y, width - 2 * kTitlePosition.x(), 1), Qt::black);
  painter.restore();
}

void PaintGrid(QPainter& painter, QPoint origin, const std::vector<int>& columns, int rows,
               bool labelColumn) {
  int x = origin.x();
  for (std::size_t column = 0; column < columns.size(); ++column) {
    const int w = columns[column];
    const bool grey = labelColumn && column == 0;
    painter.fillRect(QRect(x, origin.y(), w, kHeaderRowHeight), grey ? kRowColour : kFrameColour);
    x += w + 1;
  }
  PaintRows(painter, origin + QPoint(0, kHeaderRowHeight + 1), columns, rows);
}

void PaintRows(QPainter& painter, QPoint origin, const std::vector<int>& columns, int rows) {
  int x = origin.x();
  for (const int w : columns) {
    int y = origin.y();
    for (int row = 0; row < rows; ++row) {
      painter.fillRect(QRect(x, y, w, kDataRowHeight),
                       row % 2 == 0 ? kRowColour : kAlternateRowColour);
      y += kDataRowHeight + 1;
    }
    x += w + 1;
  }
}

void PaintLabel(QPainter& painter, QPoint at, const QString& text, bool bold) {
  painter.save();
  painter.setFont(UiFont(10, bold));
  painter.setPen(Qt::black);
  painter.drawText(at + QPoint(0, QFontMetrics(painter.font()).ascent()), text);
  painter.restore();
}

}  // namespace ntr::ui
