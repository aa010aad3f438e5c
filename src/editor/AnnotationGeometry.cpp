#include "AnnotationGeometry.h"

#include <QtMath>

#include <algorithm>

namespace AnnotationGeometry
{

std::optional<QRectF> room(const QRectF &line, qreal spaceWidth, qreal visibleRight)
{
    if (line.height() <= 0)
        return std::nullopt;
    const qreal x = line.right() + spaceWidth;
    const qreal available = visibleRight - x - rightMargin;
    if (available <= minimumRoom)
        return std::nullopt;
    return QRectF(x, line.top(), available, line.height());
}

QRect area(const QRectF &room, qreal textWidth)
{
    const int width = std::min(qCeil(textWidth), qFloor(room.width()));
    return QRect(qRound(room.left()), qRound(room.top()), width, qRound(room.height()));
}

}
