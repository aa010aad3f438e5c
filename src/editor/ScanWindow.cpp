#include "ScanWindow.h"

#include <algorithm>

namespace ScanWindow
{

bool isScannable(qsizetype length)
{
    return length >= 1 && length <= scanLimit;
}

bool isLargeText(qsizetype length)
{
    return length >= largeText;
}

CharRange colourWindow(qsizetype length, std::optional<CharRange> visible)
{
    if (!isLargeText(length) || !visible)
        return { 0, length };
    return { std::max<qsizetype>(0, visible->start - colourMargin),
        std::min(length, visible->end + colourMargin) };
}

CharRange shiftedForEdit(CharRange range, qsizetype position, qsizetype removed, qsizetype added)
{
    const qsizetype removedEnd = position + removed;
    const qsizetype delta = added - removed;
    // Inserted characters belong to a range only when they land strictly inside it.
    const qsizetype start = range.start < position ? range.start
        : range.start >= removedEnd                ? range.start + delta
                                                   : position + added;
    const qsizetype end = range.end <= position ? range.end
        : range.end > removedEnd                ? range.end + delta
                                                : position;
    return { start, std::max(start, end) };
}

}
