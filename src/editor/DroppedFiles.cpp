#include "DroppedFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>

namespace
{

QString expandHome(const QString &path)
{
    if (path == QLatin1String("~"))
        return QDir::homePath();
    if (path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}

// A text dragged from a terminal or another editor that names one thing on disk.
QList<QUrl> pathFromText(const QString &dropped)
{
    const QString text = dropped.trimmed();
    if (text.contains(QLatin1Char('\n'))
        || !(text.startsWith(QLatin1Char('/')) || text.startsWith(QLatin1Char('~'))))
        return {};
    const QString path = expandHome(text);
    const QFileInfo info(path);
    if (!info.isAbsolute() || !info.exists())
        return {};
    return { QUrl::fromLocalFile(QDir::cleanPath(path)) };
}

}

QList<QUrl> droppedFiles(const QMimeData *mime)
{
    if (!mime)
        return {};
    QList<QUrl> files;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            files << url;
    }
    if (!files.isEmpty())
        return files;
    return mime->hasText() ? pathFromText(mime->text()) : QList<QUrl>();
}
