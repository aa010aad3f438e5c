#include "RemoteCopies.h"

#include <QDir>
#include <QStandardPaths>

namespace RemoteCopies {

QString directory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/org.quillmar.Quillmar/remote");
}

bool contains(const QString &path)
{
    return QDir::cleanPath(path).startsWith(directory() + QLatin1Char('/'));
}

}
