#include "RemoteRoot.h"

#include "RemoteFileOutcomes.h"
#include "RemoteScripts.h"
#include "SSHArguments.h"

namespace
{

bool holds(const QString &folder, const QString &path)
{
    if (folder.isEmpty())
        return false;
    if (folder == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

}

QString remoteRootScript(const QString &fileFolder, const QStringList &hostFolders)
{
    QString script = QStringLiteral("r=$(cd ") + remoteQuote(fileFolder)
        + QStringLiteral(" 2>/dev/null && git rev-parse --show-toplevel 2>/dev/null); "
                         "printf '%s\\n' \"$r\"");
    if (!hostFolders.isEmpty())
        script += QStringLiteral("; ") + resolveScript(hostFolders);
    return script;
}

QString remoteRoot(const QString &filePath, const QByteArray &output, const QStringList &hostFolders)
{
    const qsizetype end = output.indexOf('\n');
    const QString repository = QString::fromUtf8(output.left(end < 0 ? output.size() : end)).trimmed();
    const QByteArray rest = end < 0 ? QByteArray() : output.mid(end + 1);
    return chooseRemoteRoot(filePath, repository, resolvedFolders(rest, hostFolders));
}

QString chooseRemoteRoot(
    const QString &filePath, const QString &repositoryRoot, const QList<ResolvedFolder> &hostFolders)
{
    if (holds(repositoryRoot, filePath))
        return repositoryRoot;
    QString nearest;
    for (const ResolvedFolder &folder : hostFolders)
        if (folder.found && holds(folder.path, filePath) && folder.path.size() > nearest.size())
            nearest = folder.path;
    return nearest.isEmpty() ? remoteFolderOf(filePath) : nearest;
}
