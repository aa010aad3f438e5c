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
        QStringLiteral("ServerAliveCountMax=2"), QStringLiteral("-o"),
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

QString shellNeutral(const QString &script)
{
    static const QByteArray escaped = "\\'!%@";
    QString encoded;
    const QByteArray bytes = script.toUtf8();
    encoded.reserve(bytes.size() + bytes.size() / 4);
    for (const char c : bytes) {
        const auto byte = uchar(c);
        if (byte >= 0x20 && byte < 0x7f && !escaped.contains(c))
            encoded += QLatin1Char(c);
        else
            encoded += QLatin1Char('@') + QStringLiteral("%1").arg(int(byte), 3, 8, QLatin1Char('0'));
    }
    return QStringLiteral(
               "exec /bin/sh -c 'eval \"$(printf \"$(printf %s \"$1\" | tr @ \"\\134\")\")\"' sh '")
        + encoded + QLatin1Char('\'');
}

QString remoteQuote(const QString &path)
{
    if (path == QLatin1String("~"))
        return path;
    if (path.startsWith(QLatin1String("~/")))
        return QLatin1String("~/") + singleQuoted(path.mid(2));
    return singleQuoted(path);
}
