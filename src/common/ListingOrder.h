#pragma once

#include <QList>
#include <QString>

// One direct entry of a folder, as a listing gives it.
struct DirectoryEntry {
    QString path;
    bool isDirectory = false;

    bool operator==(const DirectoryEntry &) const = default;
};

// Folders first, then names in the order a file browser uses: case-insensitive, with runs of
// digits compared by value. Local and remote listings share it.
void sortListing(QList<DirectoryEntry> &entries);
