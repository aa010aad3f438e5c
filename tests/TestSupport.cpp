#include "TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
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

SmallDisk::SmallDisk(const QString &folder, const QString &size) : folder(folder)
{
    QProcess mount;
    mount.start(QStringLiteral("mount"), { "-t", "tmpfs", "-o", "size=" + size, "tmpfs", folder });
    if (!mount.waitForFinished(30000) || mount.exitStatus() != QProcess::NormalExit || mount.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(mount.readAllStandardError()).trimmed();
        why = QStringLiteral("mounting a tmpfs is not allowed here: ") + (said.isEmpty() ? mount.errorString() : said);
        return;
    }
    isMounted = true;
}

SmallDisk::~SmallDisk()
{
    // A child still working in the folder keeps it busy; then it goes once that child ends.
    if (isMounted && QProcess::execute(QStringLiteral("umount"), { folder }) != 0)
        QProcess::execute(QStringLiteral("umount"), { QStringLiteral("-l"), folder });
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
