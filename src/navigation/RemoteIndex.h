#pragma once

#include "IndexedFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// A search on the machine itself answers with at most this many files.
inline constexpr qsizetype serverSearchLimit = 300;

// A remote file list as read from the machine: at most the limit, sorted by relative path.
struct RemoteFileList {
    QList<IndexedFile> files;
    // More files were listed than the limit lets through.
    bool truncated = false;
};

// A machine's file list as read at one time; read again once older than the lifetime.
struct CachedRemoteIndex {
    QDateTime readAt;
    RemoteFileList list;
};
inline constexpr qint64 remoteIndexLifetimeSeconds = 120;

// The sh script that lists the files below a remote root, each relative path ended by a NUL
// byte: what git tracks or could track inside a work tree, otherwise every file outside hidden
// and heavy folders. It prints at most limit + 1 paths, so that a longer list shows as
// truncated, then the end marker. quotedRoot is the root already quoted for the remote shell.
QString remoteIndexScript(const QString &quotedRoot, qsizetype limit = fileIndexLimit);

// Turns a listing's output, paths ended by the separator, into files below root (an absolute
// remote path).
RemoteFileList parseRemoteFileList(
    const QByteArray &output, const QString &root, qsizetype limit, char separator = '\0');

// The case-insensitive extended regular expression that finds the query's characters in order;
// empty when the query has nothing to search for.
QString serverSearchPattern(QStringView query);

// The sh script that greps the remote root's file list for the pattern: at most
// serverSearchLimit paths, each ended by NUL, then the end marker.
QString serverSearchCommand(const QString &quotedRoot, const QString &pattern);
