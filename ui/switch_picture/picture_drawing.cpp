#include "ui/switch_picture/picture_drawing.h"

#include <QPaintDevice>
#include <QPixmapCache>
#include <QtMath>

#include "ui/switch_picture/artwork_kit.h"

namespace ntr::ui {

void RenderPicture(QPainter& painter, QPoint topLeft, PictureId id) {
  const QSize size = PictureSize(id);
  if (size.isEmpty()) return;
  painter.save();
  painter.translate(topLeft);
  painter.setClipRect(QRect(QPoint(0, 0), size), Qt::IntersectClip);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  switch (id) {
    case PictureId::kComputer:
      artwork::DrawComputer(painter);
      break;
    case PictureId::kIcon8G:
    case PictureId::kDetail8G:
    case PictureId::kIcon24G:
    case PictureId::kDetail24G:
    case PictureId::kIconPoe:
    case PictureId::kDetailPoe:
    case PictureId::kUnknownModel:
      artwork::DrawChassis(painter, id);
      break;
    case PictureId::kEconomyBadge:
      artwork::DrawEconomyBadge(painter);
      break;
    case PictureId::kAlarmBadge:
      artwork::DrawAlarmBadge(painter);
      break;
    default:  // the port and power pictures
      artwork::DrawPort(painter, id);
      break;
  }
  painter.restore();
}

QPixmap PicturePixmap(PictureId id, qreal devicePixelRatio) {
  const QSize size = PictureSize(id);
  if (size.isEmpty()) return {};
  const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
  QPixmap pixmap(QSize(qCeil(size.width() * ratio), qCeil(size.height() * ratio)));
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  RenderPicture(painter, QPoint(0, 0), id);
  return pixmap;
}

// The pictures never change: each is rendered once per device pixel ratio
// and kept in Qt's pixmap cache (a detailed 24-port chassis costs about a
// millisecond of curve flattening when rendered).
void DrawPicture(QPainter& painter, QPoint topLeft, PictureId id) {
  const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
  const QString key = QStringLiteral("ntr-picture-%1-%2").arg(static_cast<int>(id)).arg(ratio);
  QPixmap pixmap;
  if (!QPixmapCache::find(key, &pixmap)) {
    pixmap = PicturePixmap(id, ratio);
    if (pixmap.isNull()) return;
    QPixmapCache::insert(key, pixmap);
  }
  painter.drawPixmap(topLeft, pixmap);
}

}  // namespace ntr::ui
