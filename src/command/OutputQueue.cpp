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

namespace
{

// How much of the end of one text the kept tail takes: at most `lines` line feeds and `units`
// units, lowered by what it took. Answers the position the tail starts at; `full` is set when
// the tail ends inside this text, so that older text goes entirely.
qsizetype tailStart(const QString &text, qsizetype &lines, qsizetype &units, bool &full)
{
    const qsizetype size = text.size();
    const qsizetype floor = std::max<qsizetype>(0, size - units);
    qsizetype start = 0;
    qsizetype i = size - 1;
    for (; i >= floor; --i) {
        if (text[i] != u'\n')
            continue;
        if (lines == 0) {
            start = i + 1;
            full = true;
            break;
        }
        --lines;
    }
    if (!full && floor > 0) {
        // Cut by the unit cap: begin at the next line start when the kept part has one.
        const qsizetype lineFeed = text.indexOf(u'\n', floor);
        start = lineFeed >= 0 && lineFeed + 1 < size ? lineFeed + 1 : floor;
        full = true;
    }
    units -= size - start;
    return start;
}

}

void OutputQueue::keepOutputTail(qsizetype maxLines, qsizetype maxUnits)
{
    qsizetype lines = maxLines;
    qsizetype units = maxUnits;
    bool full = false;
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        if (run->tint != OutputTint::Label)
            continue;
        const qsizetype start = full ? run->text.size() : tailStart(run->text, lines, units, full);
        run->text.remove(0, start);
        total -= start;
    }
    std::erase_if(runs, [](const Run &run) { return run.text.isEmpty(); });
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
