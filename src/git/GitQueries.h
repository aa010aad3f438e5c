#pragma once

#include "ChangedFile.h"
#include "Commit.h"
#include "FileDiff.h"
#include "GitCommands.h"
#include "GitSource.h"
#include "LastCommit.h"
#include "Revision.h"

#include <QList>
#include <QString>

#include <optional>

// The git questions the editor asks, each a run and a parse. They block: call them from work
// handed to gitWork and post the answers to the main thread. Nothing means git failed, is
// missing, or printed something that is not UTF-8.

namespace GitQueries
{

// Sources are the repository root unless said otherwise.
std::optional<QList<Commit>> logPage(const GitSource &root, int count, int skip);
std::optional<QString> currentBranch(const GitSource &root);
std::optional<Commit> commit(const GitSource &root, const QString &sha);
// From the document's source or the repository root.
std::optional<QString> fullMessage(const GitSource &source, const QString &sha);
std::optional<QList<ChangedFile>> changedFiles(const GitSource &root, const QString &sha);
std::optional<FileDiff> fileDiff(
    const GitSource &root, const QString &sha, const ChangedFile &file);

// A local file's committed versions, newest first, following renames; empty on any failure.
QList<Revision> fileRevisions(const QString &filePath, int limit = GitCommands::revisionLimit);
// A local file's text at a revision.
std::optional<QString> fileAtRevision(const QString &filePath, const Revision &revision);

// The newest commit of a file, asked in the folder that holds it (local or remote).
std::optional<LastCommit> lastCommit(const GitSource &folder, const QString &fileName);

}
