#include "GutterMetrics.h"

#include <algorithm>
#include <cmath>

namespace GutterMetrics
{

int digitCount(qsizetype number)
{
    int digits = 1;
    for (qsizetype rest = number; rest >= 10; rest /= 10)
        ++digits;
    return digits;
}

int widthForLineCount(qsizetype lineCount, qreal digitWidth)
{
    const int digits = std::max(digitCount(lineCount), minimumDigits);
    return int(std::ceil(digitWidth * digits) + padding);
}

QRectF numberRect(const QRectF &row)
{
    return row.adjusted(0, 0, -numberInset, 0);
}

QRectF markRect(const QRectF &row)
{
    return QRectF(
        row.left() + markLeft, row.center().y() - markDiameter / 2, markDiameter, markDiameter);
}

QRectF separatorRect(qreal gutterWidth, qreal gutterHeight)
{
    return QRectF(gutterWidth - separatorWidth, 0, separatorWidth, gutterHeight);
}

}
