#pragma once

#include <QStringView>

// A very long line is shown as several segments, each laid out on its own, so that only the
// part on screen is ever shaped. Segment k ends near column (k + 1) * limit: a little before
// it, after a space or punctuation when one is near, never inside a surrogate pair. Each end
// depends only on the text just before its column, so it is found without reading the line.
namespace LineSegments
{

// Shaping costs grow with the text laid out at once; this many columns lay out in well under
// a millisecond, and a screen of them stays cheap.
inline constexpr qsizetype limit = 1024;
// How far before the limit a break after a space is looked for.
inline constexpr qsizetype reach = 64;

qsizetype count(qsizetype lineLength);

// The columns a segment's end is chosen from for `segment` (1 … count - 1): the text of
// [first, last) of the line is what end() needs.
qsizetype windowStart(qsizetype segment);
qsizetype windowEnd(qsizetype segment, qsizetype lineLength);
// Where the segment `segment` starts, given the line's text in its window.
qsizetype start(qsizetype segment, QStringView window);

// Segments that an edit at `column` leaves as they were (those before it).
qsizetype keptBefore(qsizetype column);

}
