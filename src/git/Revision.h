#pragma once

#include <QDateTime>
#include <QString>

// One committed version of a file, for stepping through its history.
struct Revision {
    QString sha;
    QDateTime date;
    QString subject;
    QString path; // relative to the repository root in that commit; empty when git gave none

    bool operator==(const Revision &) const = default;
};
