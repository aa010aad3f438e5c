#pragma once

#include "ChangedFile.h"
#include "Commit.h"
#include "FileDiff.h"
#include "LastCommit.h"
#include "Revision.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The readers of git's output, pure functions of decoded text. A malformed record is skipped on
// its own; it never discards the rest of the output.

namespace GitParsers
{

inline constexpr int diffLineLimit = 3000;

// Records of "%x1e%H%x1f%an%x1f%ae%x1f%ct%x1f%s", newest first.
QList<Commit> commits(QStringView text);
// The branch name (git's "HEAD" on a detached head), or nothing when empty.
std::optional<QString> currentBranch(QStringView text);
// The message trimmed, or nothing when empty.
std::optional<QString> fullMessage(QStringView text);
// "--numstat -z" output: counts, path, and for renames the old and new paths as own fields.
QList<ChangedFile> changedFiles(QStringView text);
// One file's patch: at most `limit` lines kept, the rest only counted.
FileDiff fileDiff(QStringView text, int limit = diffLineLimit);
// "--name-only" log records of "%x1e%H%x1f%ct%x1f%s", each with the path it had.
QList<Revision> revisions(QStringView text);
// "%h%x1f%ct%x1f%s", the subject's pieces joined by spaces.
std::optional<LastCommit> lastCommit(QStringView text);

// The file card's line: "Unsaved changes · " for a dirty document, then "Last commit: ", the
// short hash, the age and the subject.
QString lastCommitSummary(
    const LastCommit &commit, bool isDirty, const QDateTime &now = QDateTime::currentDateTimeUtc());

}
