#pragma once

#include "RemoteFolders.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The folder that stands for the workspace while a remote file is active, whether or not its
// machine is connected in the pane: the nearest repository root above the file, else the
// nearest of the host's folders that holds it, else the file's own folder.

// One sh line for the machine: the repository root above the folder on the first line (empty
// when there is none), then one line per host folder as resolveScript prints them.
QString remoteRootScript(const QString &fileFolder, const QStringList &hostFolders);

// The root for the file from what that script printed.
QString remoteRoot(const QString &filePath, const QByteArray &output, const QStringList &hostFolders);

// The rule itself.
QString chooseRemoteRoot(
    const QString &filePath, const QString &repositoryRoot, const QList<ResolvedFolder> &hostFolders);
