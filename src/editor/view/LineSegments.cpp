#include "LineSegments.h"

#include <algorithm>

namespace LineSegments
{

namespace
{

// How far before its column a segment's end looks for a space.
qsizetype reach(qsizetype size)
{
    return std::max<qsizetype>(1, size / 16);
}


// A segment never starts on the second half of a pair or on a mark joined to what precedes.
bool startsCleanly(QChar c)
{
    return !c.isLowSurrogate() && !c.isMark();
}

}

qsizetype count(qsizetype lineLength, qsizetype size)
{
    return lineLength <= longLine ? 1 : (lineLength + size - 1) / size;
}

qsizetype windowStart(qsizetype segment, qsizetype size)
{
    return segment * size - reach(size);
}

qsizetype windowEnd(qsizetype segment, qsizetype size, qsizetype lineLength)
{
    return std::min(segment * size + 1, lineLength);
}

qsizetype start(qsizetype segment, qsizetype size, QStringView window)
{
    const qsizetype first = windowStart(segment, size);
    const qsizetype grid = segment * size;
    const auto at = [&](qsizetype column) {
        const qsizetype index = column - first;
        return index >= 0 && index < window.size() ? window[index] : QChar();
    };
    // After a space if one is near, else after punctuation, else anywhere clean.
    const auto last = [&](auto breaksAfter) -> qsizetype {
        for (qsizetype column = grid; column > first; --column) {
            if (breaksAfter(at(column - 1)) && startsCleanly(at(column)))
                return column;
        }
        return -1;
    };
    for (const qsizetype found : { last([](QChar c) { return c.isSpace(); }),
             last([](QChar c) { return c.isPunct(); }), last([](QChar) { return true; }) }) {
        if (found >= 0)
            return found;
    }
    return grid;
}

qsizetype keptBefore(qsizetype column, qsizetype size)
{
    // Segment k stays when the whole window its end is chosen from lies before the edit.
    return std::max<qsizetype>(0, (column + size - 1) / size - 1);
}

}
