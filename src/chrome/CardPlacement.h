#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Which side of its anchor a hover card appears on.
enum class Side { below, right };

// Where a card of `card` size goes next to `anchor` inside a container of `container` size:
// below starts at the anchor's left edge, 4 points under it; right starts 6 points past the
// anchor, level with its top. The result stays 6 points inside the container, keeping the near
// (top, left) edge in view when the card is larger than the room.
QPoint cardPosition(const QRect &anchor, Side side, QSize card, QSize container);
