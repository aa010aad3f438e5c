#pragma once

#include "Commit.h"
#include "GitSource.h"

#include <QDateTime>
#include <QString>

#include <optional>

// The words of the Git log pane.

namespace GitLogTexts
{

QString noWorkspace();
QString gitMissing();
// "<place> isn't in a git repository."
QString notRepository(const QString &placeName);
QString noCommits();
QString loadMore();
QString refreshToolTip();

// "no commits" without a branch, "HEAD (detached)" for git's answer on a detached head,
// otherwise the branch name.
QString branchText(const std::optional<QString> &branch);
// "⑂ main · app": the fork sign, the branch text and the repository's name.
QString header(const std::optional<QString> &branch, const GitSource &root);
// The full path of a local repository; the short name of a remote one.
QString headerToolTip(const GitSource &root);
// "Ada Lovelace · 3d · 1a2b3c4": author, compact age and short hash.
QString commitDetail(const Commit &commit, const QDateTime &now = QDateTime::currentDateTimeUtc());

}
