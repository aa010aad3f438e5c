#pragma once

#include "RemoteHost.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The saved connections: ~/.quillmar/remotes.json, one JSON array of entries in list order.

// The file's path under the home folder.
QString remotesFile();
// Tests only: another home folder for the file.
void setHomeForTests(const QString &home);

// The entries of the file's text; nothing when the text is not a valid list (an entry without a
// name or destination spoils the whole list). An entry of the older single-folder form gets
// that folder.
std::optional<QList<RemoteHost>> decodeHosts(const QByteArray &json);
// Pretty printed, keys sorted; "port" only for an entry that has one, never "folder".
QByteArray encodeHosts(const QList<RemoteHost> &hosts);

// The saved list; empty when the file is missing, unreadable or not a valid list.
QList<RemoteHost> loadHosts();
// Replaces the file atomically with the list, creating its folder when needed. On failure
// answers false with the system's description of the error.
bool saveHosts(const QList<RemoteHost> &hosts, QString *error);
QString saveHostsFailedNote(const QString &error);
