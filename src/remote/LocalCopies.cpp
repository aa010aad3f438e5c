#include "LocalCopies.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

namespace
{

QString hostFolder(const QString &hostID)
{
    QString folder = hostID;
    for (QChar &c : folder)
        if (!c.isLetterOrNumber() && c != QLatin1Char('.') && c != QLatin1Char('-')
            && c != QLatin1Char('@'))
            c = QLatin1Char('_');
    return folder;
}

}

QString remoteCopiesDirectory()
{
    QString caches = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (caches.isEmpty())
        caches = QDir::tempPath();
    return caches + QStringLiteral("/org.quillmar.Quillmar/remote");
}

QString localCopyURL(const QString &hostID, const QString &remotePath)
{
    QString path = remoteCopiesDirectory() + QLatin1Char('/') + hostFolder(hostID);
    for (const QString &component : remotePath.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        if (component != QLatin1String(".") && component != QLatin1String(".."))
            path += QLatin1Char('/') + component;
    return path;
}

bool writeLocalCopy(const QString &path, const QByteArray &bytes, QString *error)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
