#pragma once

#include "SSHResult.h"
#include "common/ListingOrder.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Listing a folder on a machine with ls, one run a folder.

// The command line that lists the folder at path: one name a line, folders marked with "/",
// hidden files included.
QString listingCommand(const QString &path);

// The entry named name inside parent; under "/" that is "/" followed by the name.
QString childPath(const QString &parent, const QString &name);

// The entries of a listing of parent, in the order the tree shows them: folders first, then
// names as a file browser orders them. Names kept out of every listing are dropped.
QList<DirectoryEntry> parseListing(const QByteArray &output, const QString &parent);

// What a folder shows when its listing failed: ssh's own failure, else the command's first
// error line, else a general line.
QString listingError(const SSHResult &result);
