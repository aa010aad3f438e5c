#pragma once

#include <QRectF>
#include <QtGlobal>

// The line-number gutter's geometry, in points.
namespace GutterMetrics
{

// The gutter is never narrower than this many digits, so it keeps its width up to line 999.
inline constexpr int minimumDigits = 3;
// Room beside the digits: the bookmark mark on the left, the number's inset on the right.
inline constexpr qreal padding = 22;
// The numbers' right edge lies this far left of the gutter's right edge.
inline constexpr qreal numberInset = 10;
inline constexpr qreal separatorWidth = 1;
inline constexpr qreal markLeft = 7;
inline constexpr qreal markDiameter = 6;

int digitCount(qsizetype number);

// Wide enough for the largest number of a text of `lineCount` lines.
int widthForLineCount(qsizetype lineCount, qreal digitWidth);

// Where a line's number goes (right-aligned, vertically centred) and where its bookmark mark
// goes, given the line's first row.
QRectF numberRect(const QRectF &row);
QRectF markRect(const QRectF &row);
QRectF separatorRect(qreal gutterWidth, qreal gutterHeight);

}
