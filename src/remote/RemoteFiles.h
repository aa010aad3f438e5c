#pragma once

#include "RemoteFileOutcomes.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class SSHClient;

// Reading a remote file into its local copy and saving it back, over the client's shared
// connection. The transfer and the local copy's write happen in the background; completions
// run on the main thread, and not at all once the client was cancelled or destroyed.

struct RemoteRead {
    bool opened = false;
    QString localCopy; // written and ready to open
    std::optional<double> modified; // the remote modification time, when the machine told it
    QString message; // the note when nothing opens
};
void readRemote(
    SSHClient &client, const QString &path, std::function<void(const RemoteRead &)> completion);

// Writes the bytes to the remote file unless it changed since expectedTime (none: overwrite
// whatever is there). After a save the same bytes replace the local copy, when one is given.
void saveRemote(SSHClient &client, const QString &path, const QByteArray &bytes,
    std::optional<double> expectedTime, const QString &localCopy,
    std::function<void(const SaveOutcome &)> completion);
