#include "BlameTable.h"

#include <algorithm>

BlameTable BlameTable::withLines(qsizetype lineCount)
{
    BlameTable table;
    table.marks.assign(size_t(std::max<qsizetype>(lineCount, 0)), unknownMark);
    return table;
}

void BlameTable::apply(const BlameRange &range)
{
    if (range.firstLine < 1 || range.count < 1)
        return;
    qint32 mark = draftMark;
    if (!range.info.isUncommitted()) {
        const auto found = index.constFind(range.info.sha);
        if (found != index.cend())
            mark = *found;
        else {
            mark = qint32(commits.size());
            commits.append(range.info);
            index.insert(range.info.sha, mark);
        }
    }
    const qsizetype size = qsizetype(marks.size());
    if (range.firstLine > size)
        return;
    const qsizetype end = std::min(size, range.firstLine - 1 + range.count);
    std::fill(marks.begin() + (range.firstLine - 1), marks.begin() + end, mark);
}

bool BlameTable::absorbEdit(qsizetype startLine, qsizetype insertedBreaks, qsizetype lineCount)
{
    const qsizetype size = qsizetype(marks.size());
    // Old line breaks the edit replaced.
    const qsizetype removedBreaks = insertedBreaks - (lineCount - size);
    if (startLine < 1 || insertedBreaks < 0 || removedBreaks < 0 || startLine - 1 > size)
        return false;
    const qsizetype first = startLine - 1;
    const qsizetype replaced = std::min(size, first + removedBreaks + 1) - first;
    const qsizetype inserted = insertedBreaks + 1;
    // One move of the lines below, whichever way they go.
    if (inserted > replaced)
        marks.insert(marks.begin() + first + replaced, size_t(inserted - replaced), draftMark);
    else if (inserted < replaced)
        marks.erase(marks.begin() + first + inserted, marks.begin() + first + replaced);
    std::fill(marks.begin() + first, marks.begin() + first + inserted, draftMark);
    return qsizetype(marks.size()) == lineCount;
}

BlameLookup BlameTable::lookup(qsizetype line) const
{
    if (line < 1 || line > qsizetype(marks.size()))
        return {};
    const qint32 mark = marks[size_t(line - 1)];
    if (mark == draftMark)
        return { BlameLookup::Kind::draft, {} };
    if (mark < 0 || mark >= commits.size())
        return {};
    return { BlameLookup::Kind::commit, commits[mark] };
}
