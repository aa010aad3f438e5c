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

}
