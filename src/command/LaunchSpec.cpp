#include "LaunchSpec.h"

#include <QFileInfo>

LaunchSpec localLaunch(
    const QString &commandLine, const QString &workingFolder, const QString &shellPath)
{
    const QString name = QFileInfo(shellPath).fileName();
    QStringList arguments;
    if (name == QLatin1String("zsh") || name == QLatin1String("bash"))
        arguments << QStringLiteral("-l");
    arguments << QStringLiteral("-c") << commandLine;
    return LaunchSpec { shellPath, arguments, workingFolder };
}

QString chooseShell(
    const QString &shellVariable, const std::function<bool(const QString &)> &isExecutableFile)
{
    if (!shellVariable.isEmpty() && isExecutableFile(shellVariable))
        return shellVariable;
    for (const char *fallback : { "/bin/zsh", "/bin/bash" }) {
        const QString path = QString::fromLatin1(fallback);
        if (isExecutableFile(path))
            return path;
    }
    return QStringLiteral("/bin/sh");
}

QString defaultShell()
{
    return chooseShell(qEnvironmentVariable("SHELL"), [](const QString &path) {
        const QFileInfo info(path);
        return info.isAbsolute() && info.isFile() && info.isExecutable();
    });
}
