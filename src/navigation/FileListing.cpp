#include "FileListing.h"

#include "common/NameLists.h"

#include <QDir>
#include <QFileInfo>

QList<DirectoryEntry> listChildren(const QString &folder, bool sorted)
{
    const QDir dir(folder);
    const QFileInfoList infos = dir.entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    QList<DirectoryEntry> entries;
    entries.reserve(infos.size());
    for (const QFileInfo &info : infos) {
        if (NameLists::isHidden(info.fileName()))
            continue;
        entries.append({ info.filePath(), info.isDir() && !info.isSymLink() });
    }
    if (sorted)
        sortListing(entries);
    return entries;
}
