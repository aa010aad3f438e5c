#include "LineSegments.h"

#include <algorithm>

namespace LineSegments
{

namespace
{

bool breaksAfter(QChar c)
{
    return c.isSpace() || c.isPunct();
}

// A segment never starts on the second half of a pair or on a mark joined to what precedes.
bool startsCleanly(QChar c)
{
    return !c.isLowSurrogate() && !c.isMark();
}

}

qsizetype count(qsizetype lineLength)
{
    return lineLength <= limit ? 1 : (lineLength + limit - 1) / limit;
}

qsizetype windowStart(qsizetype segment)
{
    return segment * limit - reach;
}

qsizetype windowEnd(qsizetype segment, qsizetype lineLength)
{
    return std::min(segment * limit + 1, lineLength);
}

qsizetype start(qsizetype segment, QStringView window)
{
    const qsizetype first = windowStart(segment);
    const qsizetype grid = segment * limit;
    const auto at = [&](qsizetype column) {
        const qsizetype index = column - first;
        return index >= 0 && index < window.size() ? window[index] : QChar();
    };
    for (qsizetype column = grid; column > first; --column) {
        if (breaksAfter(at(column - 1)) && startsCleanly(at(column)))
            return column;
    }
    for (qsizetype column = grid; column > first; --column) {
        if (startsCleanly(at(column)))
            return column;
    }
    return grid;
}

qsizetype keptBefore(qsizetype column)
{
    // Segment k stays when the whole window its end is chosen from lies before the edit.
    return std::max<qsizetype>(0, (column + limit - 1) / limit - 1);
}

}
