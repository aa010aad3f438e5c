#pragma once

#include <QDateTime>
#include <QString>

// One commit of a log page or a lookup.
struct Commit {
    QString sha; // the full hash
    QString author;
    QString email;
    QDateTime date;
    QString subject;

    bool operator==(const Commit &) const = default;
};
