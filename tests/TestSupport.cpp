#include "TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QThread>

namespace testsupport {

QString writeFile(const QTemporaryDir &dir, const QString &relative, const QByteArray &bytes)
{
    const QString path = dir.filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QString makeFolder(const QTemporaryDir &dir, const QString &relative)
{
    const QString path = dir.filePath(relative);
    QDir().mkpath(path);
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool waitUntil(const std::function<bool()> &predicate, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!predicate()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

void clearSettings()
{
    QSettings settings;
    settings.clear();
    settings.sync();
    // Unsaved work journaled by an earlier test would come back in the next one.
    if (const QString state = qEnvironmentVariable("XDG_STATE_HOME"); !state.isEmpty())
        QDir(state).removeRecursively();
}

}
