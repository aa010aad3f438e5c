#pragma once

#include <QDateTime>
#include <QString>

// Who last changed a line: one commit as blame describes it.
struct BlameInfo {
    QString sha; // 40 hexadecimal digits; all zeros for lines not committed yet
    QString author;
    QString email; // without angle brackets
    QDateTime date; // the author time
    QString summary; // the commit's first line

    // git's all-zero hash: the line has changes that aren't in a commit.
    bool isUncommitted() const;
    // The one info shown for draft lines.
    static const BlameInfo &draft();

    bool operator==(const BlameInfo &) const = default;
};
