#pragma once

#include <QList>
#include <QString>

// One direct entry of a folder, as a listing gives it.
struct DirectoryEntry {
    QString path;
    bool isDirectory = false;

    bool operator==(const DirectoryEntry &) const = default;
};

// The folder's direct entries, dot files included but the hidden names left out.
// isDirectory describes the entry itself: a link to a folder is not followed, so walking
// the listings can never loop. An unreadable or missing folder gives an empty list.
QList<DirectoryEntry> listChildren(const QString &folder, bool sorted);

// Folders first, then names in the order a file browser uses: case-insensitive, with runs of
// digits compared by value.
void sortListing(QList<DirectoryEntry> &entries);
