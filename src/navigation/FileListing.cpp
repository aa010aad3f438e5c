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
        entries.append({ info.filePath(), info.isDir() });
    }
    if (sorted)
        sortListing(entries);
    return entries;
}

QString canonicalPath(const QString &path)
{
    if (path.isEmpty())
        return path;
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString canonical = QFileInfo(clean).canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const qsizetype slash = clean.lastIndexOf(u'/');
    if (slash <= 0)
        return clean;
    // Missing here (moved away, or not made yet): its folder may still be reached by a link.
    const QString folder = canonicalPath(clean.left(slash));
    return folder.endsWith(u'/') ? folder + clean.mid(slash + 1) : folder + clean.mid(slash);
}
