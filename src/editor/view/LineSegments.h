#pragma once

#include <QStringView>

// A very long line is shown as several segments, each laid out on its own, so that only the
// part on screen is ever shaped and drawn. With segments of `size` columns, segment k ends near
// column (k + 1) * size: a little before it, after a space (or else punctuation) when one is
// near, never inside a surrogate pair. Each end depends only on the text just before its
// column, so it is found without reading the line.
namespace LineSegments
{

// Lines up to this long are laid out whole (a few milliseconds at most).
inline constexpr qsizetype longLine = 4096;
// Unwrapped, a segment is one row; drawing a row costs every glyph in it, seen or not, so
// rows stay short enough that a screen of them draws in about a millisecond.
inline constexpr qsizetype unwrappedSize = 256;
// Wrapped, a segment is several rows, of which only those in view are drawn.
inline constexpr qsizetype wrappedSize = 4096;

qsizetype count(qsizetype lineLength, qsizetype size);

// The columns [windowStart, windowEnd) of the line that start() needs for `segment`
// (1 … count - 1).
qsizetype windowStart(qsizetype segment, qsizetype size);
qsizetype windowEnd(qsizetype segment, qsizetype size, qsizetype lineLength);
// Where `segment` starts, given the line's text in its window.
qsizetype start(qsizetype segment, qsizetype size, QStringView window);

// Segments that an edit at `column` leaves as they were (those wholly before it).
qsizetype keptBefore(qsizetype column, qsizetype size);

}
