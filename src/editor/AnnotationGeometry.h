#pragma once

#include <QRect>
#include <QRectF>

#include <optional>

// Where the dim annotation after the end of a line goes.
namespace AnnotationGeometry
{

// Kept free between the annotation and the right edge of the visible area.
inline constexpr qreal rightMargin = 8;
// Less room than this and the annotation is not drawn at all.
inline constexpr qreal minimumRoom = 60;

// The room after a line whose used part is `line`: from one space past its end to the right
// margin, on the line's row. None when the row has no height or the room is too narrow.
std::optional<QRectF> room(const QRectF &line, qreal spaceWidth, qreal visibleRight);

// The hover and click area of a text `textWidth` wide drawn at the start of `room`; never wider
// than the room.
QRect area(const QRectF &room, qreal textWidth);

}
