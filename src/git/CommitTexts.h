#pragma once

#include "ChangedFile.h"
#include "Commit.h"

#include <QList>
#include <QLocale>
#include <QString>

// The words of the commit view, worked out apart from its widgets.
namespace CommitTexts
{

inline constexpr auto readingCommit = "Reading the commit…";
inline constexpr auto loadingDiff = "Loading…";
inline constexpr auto expandAll = "Expand All";
inline constexpr auto collapseAll = "Collapse All";
inline constexpr auto binary = "binary";

// The message without the subject it starts with, trimmed; empty for a subject-only message.
QString messageBody(const QString &message, const QString &subject);
// The short hash, the author with the email in angle brackets, and the local date as a medium
// date with a short time, parted by middle dots.
QString metaLine(const Commit &commit, const QLocale &locale = QLocale());
// The date in the locale's medium form: its long date without the weekday, months shortened.
QString mediumDateTime(const QDateTime &date, const QLocale &locale = QLocale());

// "1 file changed  " or the count and " files changed  ".
QString filesChanged(qsizetype count, const QLocale &locale = QLocale());

// The added and removed lines of all files that have counts.
struct LineSums {
    int added = 0;
    int removed = 0;

    bool operator==(const LineSums &) const = default;
};
LineSums lineSums(const QList<ChangedFile> &files);
QString addedText(int count, const QLocale &locale = QLocale()); // "+12"
QString removedText(int count, const QLocale &locale = QLocale()); // "−3", with a minus sign
// Binary content: git gave no line counts.
bool hasCounts(const ChangedFile &file);

// The last path component.
QString fileName(const QString &path);
// Beside the name: "← " and the old path of a moved or copied file, else the folder part of
// the path (empty for a file at the top).
QString fileDetail(const ChangedFile &file);

}
