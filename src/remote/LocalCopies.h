#pragma once

#include <QByteArray>
#include <QString>

// Where the local copies of remote files are kept: the caches folder, the application's
// identifier, "remote", then one folder per machine.

QString remoteCopiesDirectory();

// The path of the local copy of a remote file: the machine's folder (its hostID with
// everything but letters, digits, ".", "-" and "@" made "_"), then the remote path's
// components without empty ones, "." and "..".
QString localCopyURL(const QString &hostID, const QString &remotePath);

// Writes the bytes to the copy's path atomically, creating its folders. On failure answers
// false with the system's description of the error.
bool writeLocalCopy(const QString &path, const QByteArray &bytes, QString *error);
