#include "RemoteFolders.h"

#include "SSHArguments.h"

QString resolveScript(const QStringList &folders)
{
    QStringList pieces;
    for (const QString &folder : folders)
        pieces << QStringLiteral("( cd ") + remoteQuote(folder)
                + QStringLiteral(" 2>/dev/null && pwd -P ) || echo");
    return pieces.join(QStringLiteral("; "));
}

QList<ResolvedFolder> resolvedFolders(const QByteArray &output, const QStringList &folders)
{
    const QStringList lines = QString::fromUtf8(output).split(QLatin1Char('\n'));
    QList<ResolvedFolder> resolved;
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const QString line = lines.value(i);
        if (line.isEmpty())
            resolved << ResolvedFolder { folders[i], false };
        else
            resolved << ResolvedFolder { line, true };
    }
    return resolved;
}
