#include "CardPlacement.h"

#include <algorithm>

namespace
{

constexpr int belowGap = 4;
constexpr int rightGap = 6;
constexpr int margin = 6;

// The far limit comes first and the near one last, so the near edge wins when room is short.
int keptInside(int start, int length, int room)
{
    return std::max(std::min(start, room - margin - length), margin);
}

}

QPoint cardPosition(const QRect &anchor, Side side, QSize card, QSize container)
{
    const QPoint wanted = side == Side::below
        ? QPoint(anchor.x(), anchor.y() + anchor.height() + belowGap)
        : QPoint(anchor.x() + anchor.width() + rightGap, anchor.y());
    return { keptInside(wanted.x(), card.width(), container.width()),
        keptInside(wanted.y(), card.height(), container.height()) };
}
