#include "RowScroll.h"

#include <algorithm>

namespace RowScroll
{

Place moved(Place from, qsizetype delta, qsizetype lineCount, const RowsOf &rowsOf)
{
    Place at { std::clamp<qsizetype>(from.line, 0, std::max<qsizetype>(lineCount - 1, 0)), 0 };
    at.row = std::clamp<qsizetype>(from.row, 0, rowsOf(at.line) - 1);
    while (delta > 0) {
        const qsizetype left = rowsOf(at.line) - 1 - at.row;
        if (delta <= left) {
            at.row += delta;
            break;
        }
        if (at.line + 1 >= lineCount) {
            at.row += left;
            break;
        }
        delta -= left + 1;
        at = { at.line + 1, 0 };
    }
    while (delta < 0) {
        if (-delta <= at.row) {
            at.row += delta;
            break;
        }
        if (at.line == 0) {
            at.row = 0;
            break;
        }
        delta += at.row + 1;
        at.line -= 1;
        at.row = rowsOf(at.line) - 1;
    }
    return at;
}

Place lastTop(qsizetype lineCount, qsizetype visibleRows, const RowsOf &rowsOf)
{
    if (lineCount <= 0)
        return {};
    const qsizetype last = lineCount - 1;
    return moved({ last, rowsOf(last) - 1 }, -(std::max<qsizetype>(visibleRows, 1) - 1),
        lineCount, rowsOf);
}

}
