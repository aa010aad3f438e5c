#include "ScreenFit.h"

#include <algorithm>

namespace {

// Enough of the title strip to grab the window with the mouse.
constexpr int grabWidth = 100;
constexpr int grabHeight = 20;

qint64 area(const QRect &rect)
{
    return rect.isValid() ? qint64(rect.width()) * rect.height() : 0;
}

}

QRect fitOnScreens(const QRect &frame, const QList<QRect> &screens)
{
    if (screens.isEmpty() || !frame.isValid())
        return frame;
    const QRect strip(frame.left(), frame.top(), frame.width(), grabHeight);
    const QRect *best = &screens.front();
    for (const QRect &screen : screens) {
        if (area(screen & frame) > area(*best & frame))
            best = &screen;
    }
    const QRect reachable = strip & *best;
    const bool fits = frame.width() <= best->width() && frame.height() <= best->height();
    if (fits && reachable.width() >= std::min(grabWidth, frame.width()) && reachable.height() >= grabHeight)
        return frame;
    QRect moved(frame.topLeft(), frame.size().boundedTo(best->size()));
    moved.moveLeft(std::clamp(moved.left(), best->left(), best->right() - moved.width() + 1));
    moved.moveTop(std::clamp(moved.top(), best->top(), best->bottom() - moved.height() + 1));
    return moved;
}
