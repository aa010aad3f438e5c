#pragma once

#include "common/ListingOrder.h"

#include <QList>
#include <QString>

// The folder's direct entries, dot files included but the hidden names left out.
// isDirectory describes the entry itself: a link to a folder is not followed, so walking
// the listings can never loop. An unreadable or missing folder gives an empty list.
QList<DirectoryEntry> listChildren(const QString &folder, bool sorted);
