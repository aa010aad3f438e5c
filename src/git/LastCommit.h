#pragma once

#include <QDateTime>
#include <QString>

// The newest commit that touched a file, for the file's hover card.
struct LastCommit {
    QString shortSha;
    QDateTime date;
    QString subject;

    bool operator==(const LastCommit &) const = default;
};
