// Drawing the pictures. Everything is vector drawing with QPainter, so a
// picture is sharp at any device pixel ratio; each fills exactly its size
// (PictureSize) from its top-left corner.
#pragma once

#include <QPainter>
#include <QPixmap>
#include <QPoint>

#include "ui/switch_picture/picture_id.h"

namespace ntr::ui {

// Draws the picture with its top-left corner at `topLeft` (logical
// coordinates of the painter), from a pixmap rendered once for the paint
// device's pixel ratio (GUI thread). A value that names no picture draws
// nothing.
void DrawPicture(QPainter& painter, QPoint topLeft, PictureId id);
// The same, rendered from the vectors on every call.
void RenderPicture(QPainter& painter, QPoint topLeft, PictureId id);

// The picture on a transparent pixmap for a label, rendered for the screen's
// device pixel ratio (its logical size is PictureSize(id)).
QPixmap PicturePixmap(PictureId id, qreal devicePixelRatio);

}  // namespace ntr::ui
