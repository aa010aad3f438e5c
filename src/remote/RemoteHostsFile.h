#pragma once

#include "RemoteHost.h"

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The saved connections: ~/.quillmar/remotes.json, one JSON array of entries in list order.

// The file's path under the home folder.
QString remotesFile();
// Tests only: another home folder for the file.
void setHomeForTests(const QString &home);

// What the file's text holds: the entries that can be used, and those that cannot, kept as
// they are so that writing the list back does not lose them.
struct HostsRead {
    QList<RemoteHost> hosts;
    QJsonArray unreadable;
    QStringList problems; // one sentence per unreadable entry, naming it
    bool isList = true; // false when the text is not a JSON array at all
};

// An entry without a name, with a destination ssh would not take, or with a port that is not a
// whole number from 1 to 65535 is skipped; an entry of the older single-folder form gets that
// folder.
HostsRead decodeHosts(const QByteArray &json);
// Pretty printed, keys sorted; "port" only for an entry that has one, never "folder". The
// unreadable entries follow the others unchanged.
QByteArray encodeHosts(const QList<RemoteHost> &hosts, const QJsonArray &unreadable = {});

// The saved list; empty when the file is missing or unusable. note, when given, gets a sentence
// for the user naming the entries that were skipped, or empty when there were none.
QList<RemoteHost> loadHosts(QString *note = nullptr);
// Replaces the file atomically with the list, creating its folder when needed, and keeps the
// entries of the file that could not be read. A file that is not a list is left alone. On
// failure answers false with a description of the error.
bool saveHosts(const QList<RemoteHost> &hosts, QString *error);
QString saveHostsFailedNote(const QString &error);
