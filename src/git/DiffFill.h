#pragma once

#include "DiffLine.h"
#include "FileDiff.h"

#include <QList>
#include <QLocale>
#include <QString>

#include <optional>

// What a diff view shows for one file: the lines joined by line feeds, where each line starts
// and what kind it is. Painting looks a line up by offset instead of storing colours per
// character.
struct DiffFill {
    QString text;
    QList<int> starts;
    QList<DiffLineKind> kinds;
};

namespace DiffTexts
{
inline constexpr auto unreadable = "Couldn't read this change.";
inline constexpr auto noChanges = "No line changes.";
}

// The fill for a file's diff: its lines and a note for those left out; "No line changes." for
// an empty diff, "Couldn't read this change." when there is none.
DiffFill diffFill(const std::optional<FileDiff> &diff, const QLocale &locale = QLocale());

// The kind of the line holding the offset: the last line whose start is not after it, found by
// binary search; nothing before the first line.
std::optional<DiffLineKind> lineKindAt(
    const QList<int> &starts, const QList<DiffLineKind> &kinds, int offset);
