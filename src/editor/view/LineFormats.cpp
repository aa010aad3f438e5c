#include "LineFormats.h"

void LineFormats::set(qsizetype line, const Formats &formats)
{
    if (formats.isEmpty())
        lines.erase(line);
    else
        lines[line] = formats;
}

LineFormats::Formats LineFormats::of(qsizetype line) const
{
    const auto found = lines.find(line);
    return found == lines.end() ? Formats {} : found->second;
}

QTextLayout::FormatRange LineFormats::shifted(
    QTextLayout::FormatRange range, qsizetype column, qsizetype removed, qsizetype added)
{
    const qsizetype delta = added - removed;
    const qsizetype start = range.start;
    const qsizetype end = range.start + range.length;
    // Text put in at the range's start is not of the range; text put in inside it is.
    const qsizetype newStart
        = start < column ? start : (start < column + removed ? column + added : start + delta);
    const qsizetype newEnd = end <= column ? end : (end <= column + removed ? column : end + delta);
    range.start = int(newStart);
    range.length = int(std::max<qsizetype>(0, newEnd - newStart));
    return range;
}

void LineFormats::follow(qsizetype firstLine, qsizetype column, qsizetype removed,
    qsizetype added, qsizetype linesRemoved, qsizetype linesAdded)
{
    if (linesRemoved == 0 && linesAdded == 0) {
        // Typing within a line: only that line's ranges move.
        const auto found = lines.find(firstLine);
        if (found == lines.end())
            return;
        Formats kept;
        for (const QTextLayout::FormatRange &range : found->second) {
            const QTextLayout::FormatRange after = shifted(range, column, removed, added);
            if (after.length > 0)
                kept.append(after);
        }
        if (kept.isEmpty())
            lines.erase(found);
        else
            found->second = kept;
        return;
    }
    const qsizetype lastTouched = firstLine + linesRemoved;
    const qsizetype shift = linesAdded - linesRemoved;
    std::map<qsizetype, Formats> moved;
    for (auto &[line, formats] : lines) {
        if (line < firstLine) {
            moved.emplace(line, std::move(formats));
        } else if (line > lastTouched) {
            moved.emplace(line + shift, std::move(formats));
        } else if (line == firstLine) {
            // What followed the edit point now belongs to another line.
            Formats kept;
            for (const QTextLayout::FormatRange &range : formats) {
                const QTextLayout::FormatRange after
                    = shifted(range, column, qsizetype(1) << 40, 0);
                if (after.length > 0)
                    kept.append(after);
            }
            if (!kept.isEmpty())
                moved.emplace(line, std::move(kept));
        }
    }
    lines = std::move(moved);
}
