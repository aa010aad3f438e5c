#pragma once

#include "SSHResult.h"
#include "common/ListingOrder.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Listing a folder on a machine with ls, one run a folder.

// The sh script that lists the folder at path: each name ended by a NUL byte, folders
// (symbolic links to folders too) marked with "/", hidden files included, and the end marker
// last. A folder it may not read fails with the reason instead of looking empty.
QString listingCommand(const QString &path);

// The entry named name inside parent; under "/" that is "/" followed by the name.
QString childPath(const QString &parent, const QString &name);

// The entries of a listing of parent, in the order the tree shows them: folders first, then
// names as a file browser orders them. Names kept out of every listing are dropped.
QList<DirectoryEntry> parseListing(const QByteArray &output, const QString &parent);
// The same for a whole run's result, when the listing says it got to its end; nothing else.
std::optional<QList<DirectoryEntry>> listedEntries(const SSHResult &result, const QString &parent);

// What a folder shows when its listing failed: ssh's own failure, else the script's first
// error line, else a general line.
QString listingError(const SSHResult &result);
