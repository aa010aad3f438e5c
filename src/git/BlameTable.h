#pragma once

#include "BlameInfo.h"
#include "BlameLookup.h"
#include "BlameRange.h"

#include <QHash>
#include <QList>
#include <QString>

#include <vector>

// Per line of a text, which commit last touched it: one mark per line (index 0 for line 1) and
// each commit described once, so a lookup is one array read.
struct BlameTable {
    static constexpr qint32 unknownMark = -2; // not known yet
    static constexpr qint32 draftMark = -1; // not in any commit

    std::vector<qint32> marks; // unknownMark, draftMark, or a position in commits
    QList<BlameInfo> commits;
    QHash<QString, qint32> index; // sha to position in commits

    // A table for a text of that many lines, none of them known yet.
    static BlameTable withLines(qsizetype lineCount);

    // Marks the range's lines with its commit, clipped at the end of the text.
    void apply(const BlameRange &range);
    // Follows an edit of the text: from line startLine on, the old lines were replaced by text
    // with insertedBreaks line breaks, and the whole text now has lineCount lines. The replaced
    // lines become drafts and the lines after them keep their marks. Answers false when the
    // numbers do not fit the table (it then no longer matches the text).
    bool absorbEdit(qsizetype startLine, qsizetype insertedBreaks, qsizetype lineCount);
    // The 1-based line's attribution; unknown outside the table.
    BlameLookup lookup(qsizetype line) const;
};
