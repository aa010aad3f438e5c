#pragma once

#include "common/ListingOrder.h"

#include <QList>
#include <QString>

// The folder's direct entries, dot files included but the hidden names left out. A link to a
// folder is a folder: whoever walks the listings must remember where it has been. An
// unreadable or missing folder gives an empty list.
QList<DirectoryEntry> listChildren(const QString &folder, bool sorted);

// The absolute path with every symbolic link resolved; a missing entry keeps its name under
// its folder's resolved path. Two paths name the same file when these are equal.
QString canonicalPath(const QString &path);
