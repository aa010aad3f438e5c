#pragma once

#include "ChangedFile.h"
#include "Revision.h"

#include <QString>
#include <QStringList>

// The argument lists of every git command the editor runs, exactly what follows the program.

namespace GitCommands
{

inline constexpr int logPageSize = 200;
inline constexpr int revisionLimit = 500;

QStringList logPage(int count, int skip);
QStringList currentBranch();
QStringList commit(const QString &sha);
QStringList fullMessage(const QString &sha);
QStringList changedFiles(const QString &sha);
QStringList fileDiff(const QString &sha, const ChangedFile &file);
QStringList fileRevisions(const QString &fileName, int limit);
QStringList fileAtRevision(const Revision &revision);
QStringList lastCommit(const QString &fileName);
// Incremental blame of a file; with contents, the text to blame comes on standard input.
QStringList blame(const QString &fileName, bool withContents);

}
