#pragma once

#include <QString>

#include <optional>

// Where a document that is a local copy of a remote file came from.
struct RemoteFile {
    QString hostID;
    QString path;
    std::optional<qint64> modified; // seconds since the epoch, when known

    bool operator==(const RemoteFile &) const = default;
};
