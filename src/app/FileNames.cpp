#include "FileNames.h"

#include <QDir>

namespace FileNames {

std::optional<QString> nameError(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("A name can't be empty");
    if (trimmed.contains(u'/') || trimmed.contains(u':'))
        return QStringLiteral("A name can't contain / or :");
    if (trimmed == QLatin1String(".") || trimmed == QLatin1String(".."))
        return QStringLiteral("That name isn't allowed");
    return std::nullopt;
}

bool isAtOrUnder(const QString &path, const QString &folder)
{
    const QString item = QDir::cleanPath(path);
    const QString base = QDir::cleanPath(folder);
    if (item == base)
        return true;
    return item.startsWith(base == QLatin1String("/") ? base : base + u'/');
}

QString relativeToFirst(const QString &path, const QStringList &folders)
{
    const QString item = QDir::cleanPath(path);
    for (const QString &folder : folders) {
        if (folder.isEmpty())
            continue;
        const QString base = QDir::cleanPath(folder);
        const QString prefix = base == QLatin1String("/") ? base : base + u'/';
        if (item.startsWith(prefix) && item.size() > prefix.size())
            return item.mid(prefix.size());
    }
    return path;
}

QString moved(const QString &path, const QString &from, const QString &to)
{
    const QString item = QDir::cleanPath(path);
    const QString base = QDir::cleanPath(from);
    return QDir::cleanPath(to) + item.mid(base.size());
}

}
