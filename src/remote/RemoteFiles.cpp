#include "RemoteFiles.h"

#include "LocalCopies.h"
#include "RemoteScripts.h"
#include "SSHClient.h"
#include "SSHLogging.h"
#include "SSHRun.h"

void readRemote(
    SSHClient &client, const QString &path, std::function<void(const RemoteRead &)> completion)
{
    const QString copy = localCopyURL(hostID(client.host), path);
    const QString name = remoteFileName(path);
    client.runInBackground(readScript(path), std::nullopt, fileReadOutputLimit,
        [copy, name, completion](const SSHResult &result) -> std::function<void()> {
            const ReadOutcome outcome = readOutcome(result, name);
            RemoteRead read { outcome.opened, copy, outcome.modified, outcome.message };
            QString error;
            if (read.opened && !writeLocalCopy(copy, outcome.content, &error)) {
                read.opened = false;
                read.message = QStringLiteral("Couldn't keep a copy: ") + error;
            }
            return [completion, read] { completion(read); };
        });
}

void saveRemote(SSHClient &client, const QString &path, const QByteArray &bytes,
    std::optional<double> expectedTime, const QString &localCopy,
    std::function<void(const SaveOutcome &)> completion)
{
    const QString name = remoteFileName(path);
    const QString destination = client.host.destination;
    client.runInBackground(writeScript(path, expectedTime, bytes.size()), bytes, commandOutputLimit,
        [bytes, name, destination, localCopy, completion](
            const SSHResult &result) -> std::function<void()> {
            const SaveOutcome outcome = saveOutcome(result, name, destination);
            QString error;
            if (outcome.status == SaveStatus::saved && !localCopy.isEmpty()
                && !writeLocalCopy(localCopy, bytes, &error))
                qCWarning(lcSsh) << "the local copy" << localCopy << "was not updated:" << error;
            return [completion, outcome] { completion(outcome); };
        });
}
