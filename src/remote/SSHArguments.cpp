#include "SSHArguments.h"

#include <QFile>

#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QString controlPathOption(const QString &controlDirectory)
{
    return QStringLiteral("ControlPath=") + controlDirectory + QStringLiteral("/%C");
}

QString singleQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

}

QString hostID(const QString &destination, std::optional<int> port)
{
    return destination + QLatin1Char(':') + QString::number(port.value_or(22));
}

QString controlDirectory()
{
    static std::once_flag once;
    static QString path;
    std::call_once(once, [] {
        path = QStringLiteral("/tmp/quillmar-ssh-") + QString::number(::getuid());
        // mkdir with the mode itself, so the folder is never briefly open to others.
        ::mkdir(QFile::encodeName(path).constData(), 0700);
    });
    return path;
}

QStringList sshArguments(const QString &destination, std::optional<int> port,
    const QString &command, const QString &controlDirectory, bool acceptNew)
{
    QStringList arguments { QStringLiteral("-o"), QStringLiteral("BatchMode=yes"),
        QStringLiteral("-o"), QStringLiteral("ConnectTimeout=10"), QStringLiteral("-o"),
        QStringLiteral("ServerAliveInterval=5"), QStringLiteral("-o"),
        QStringLiteral("ServerAliveCountMax=3"), QStringLiteral("-o"),
        QStringLiteral("ControlMaster=auto"), QStringLiteral("-o"),
        QStringLiteral("ControlPersist=10m"), QStringLiteral("-o"),
        controlPathOption(controlDirectory) };
    if (acceptNew)
        arguments << QStringLiteral("-o") << QStringLiteral("StrictHostKeyChecking=accept-new");
    if (port)
        arguments << QStringLiteral("-p") << QString::number(*port);
    arguments << destination << command;
    return arguments;
}

QStringList controlArguments(const QString &destination, std::optional<int> port,
    const QString &controlDirectory, const QString &operation)
{
    QStringList arguments { QStringLiteral("-o"), controlPathOption(controlDirectory),
        QStringLiteral("-O"), operation };
    if (port)
        arguments << QStringLiteral("-p") << QString::number(*port);
    arguments << destination;
    return arguments;
}

QString remoteQuote(const QString &path)
{
    if (path == QLatin1String("~"))
        return path;
    if (path.startsWith(QLatin1String("~/")))
        return QLatin1String("~/") + singleQuoted(path.mid(2));
    return singleQuoted(path);
}
