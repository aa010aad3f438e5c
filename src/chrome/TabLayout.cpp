#include "TabLayout.h"

#include <algorithm>
#include <cmath>

namespace TabLayout
{

QString titleText(const QString &title, bool dirty)
{
    return dirty ? QStringLiteral("\u25CF ") + title : title;
}

int tabWidth(int titleWidth, int closeWidth)
{
    const int natural = titleInset + titleWidth + closeGap + closeWidth + closeInset;
    return std::clamp(natural, minTabWidth, maxTabWidth);
}

QList<int> tabLefts(const QList<int> &widths)
{
    QList<int> lefts;
    lefts.reserve(widths.size());
    int x = insetX;
    for (const int width : widths) {
        lefts.append(x);
        x += width + tabSpacing;
    }
    return lefts;
}

int contentWidth(const QList<int> &widths)
{
    int total = 2 * insetX + trailingRoom;
    for (const int width : widths)
        total += width;
    if (widths.size() > 1)
        total += tabSpacing * int(widths.size() - 1);
    return total;
}

int stripWidth(const QList<int> &widths)
{
    return widths.isEmpty() ? 0 : std::min(contentWidth(widths), maxStripWidth);
}

bool startsDrag(double dx)
{
    return std::abs(dx) >= dragThreshold;
}

int reorderTarget(const QList<int> &widths, int dragged, double draggedLeft)
{
    const double centre = draggedLeft + widths.value(dragged) / 2.0;
    const QList<int> lefts = tabLefts(widths);
    int target = 0;
    for (int i = 0; i < widths.size(); ++i) {
        if (i == dragged)
            continue;
        if (lefts[i] + widths[i] / 2.0 >= centre)
            break;
        ++target;
    }
    return target;
}

int selectionAfterMove(int selected, int from, int to)
{
    if (selected == from)
        return to;
    if (selected > from && selected <= to)
        return selected - 1;
    if (selected < from && selected >= to)
        return selected + 1;
    return selected;
}

double clampedLeft(double left, int width, int stackWidth)
{
    return std::clamp(left, 0.0, std::max(0.0, double(stackWidth - width)));
}

int offsetShowing(const QList<int> &widths, int index, int current, int visibleWidth)
{
    const QList<int> lefts = tabLefts(widths);
    // The first place at or right of x where a tab begins; the row's start for x at or before it.
    const auto tabStartFrom = [&](int x) {
        if (x <= 0)
            return 0;
        for (const int left : lefts) {
            if (left - insetX >= x)
                return left - insetX;
        }
        return x;
    };
    // Never more empty room after the row than it needs.
    current = std::max(0, std::min(current, tabStartFrom(contentWidth(widths) - visibleWidth)));
    if (index < 0 || index >= widths.size())
        return current;
    const int start = lefts[index] - insetX;
    const int end = lefts[index] + widths[index] + insetX;
    if (start >= current && end <= current + visibleWidth)
        return current;
    if (start < current || end - start > visibleWidth)
        return std::max(0, start);
    return std::min(start, tabStartFrom(end - visibleWidth));
}

bool cutAtLeft(int tabLeft, int tabWidth, int offset)
{
    return tabLeft < offset && tabLeft + tabWidth > offset;
}

int sidewaysScroll(int current, double verticalDelta, int documentWidth, int visibleWidth)
{
    const double wanted = current - wheelStep * verticalDelta;
    const double limit = std::max(0, documentWidth - visibleWidth);
    return int(std::lround(std::min(std::max(0.0, wanted), limit)));
}

}
