#include "OutputQueue.h"

#include <algorithm>

void OutputQueue::push(const QString &text, OutputTint tint)
{
    if (text.isEmpty())
        return;
    if (!runs.empty() && runs.back().tint == tint)
        runs.back().text += text;
    else
        runs.push_back({ text, tint });
    total += text.size();
}

void OutputQueue::clear()
{
    runs.clear();
    total = 0;
}

qsizetype OutputQueue::indexOfLineFeed(qsizetype from) const
{
    qsizetype start = 0;
    for (const Run &run : runs) {
        const qsizetype size = run.text.size();
        if (from < start + size) {
            const qsizetype found
                = run.text.indexOf(QLatin1Char('\n'), std::max<qsizetype>(0, from - start));
            if (found >= 0)
                return start + found;
        }
        start += size;
    }
    return -1;
}

void OutputQueue::dropFront(qsizetype count)
{
    while (count > 0 && !runs.empty()) {
        QString &front = runs.front().text;
        if (front.size() <= count) {
            count -= front.size();
            total -= front.size();
            runs.pop_front();
        } else {
            front.remove(0, count);
            total -= count;
            count = 0;
        }
    }
}

OutputQueue::Run OutputQueue::takeFront(qsizetype maxLines, qsizetype maxUnits)
{
    if (runs.empty())
        return { {}, OutputTint::Label };
    Run &front = runs.front();
    const qsizetype size = front.text.size();
    qsizetype end = std::clamp<qsizetype>(maxUnits, 1, size);
    const auto *data = reinterpret_cast<const char16_t *>(front.text.constData());
    qsizetype lines = 0;
    for (qsizetype i = 0; i < end; ++i) {
        if (data[i] == u'\n' && ++lines >= maxLines) {
            end = i + 1;
            break;
        }
    }
    total -= end;
    if (end == size) {
        Run whole = std::move(front);
        runs.pop_front();
        return whole;
    }
    Run piece { front.text.first(end), front.tint };
    front.text.remove(0, end);
    return piece;
}
