#include "GitCommands.h"

namespace
{

// Record separator before each commit, unit separator between its fields.
const QString commitFormat = QStringLiteral("--format=%x1e%H%x1f%an%x1f%ae%x1f%ct%x1f%s");

}

namespace GitCommands
{

QStringList logPage(int count, int skip)
{
    return { "log", "--no-show-signature", "--no-textconv", "-n", QString::number(count),
        "--skip=" + QString::number(skip), commitFormat };
}

QStringList currentBranch()
{
    return { "rev-parse", "--abbrev-ref", "HEAD" };
}

QStringList commit(const QString &sha)
{
    return { "show", "-s", "--no-show-signature", "--no-textconv", commitFormat, sha };
}

QStringList fullMessage(const QString &sha)
{
    return { "show", "-s", "--no-show-signature", "--no-textconv", "--format=%B", sha };
}

QStringList changedFiles(const QString &sha)
{
    return { "show", "--format=", "--numstat", "-z", "-M", "-m", "--first-parent",
        "--no-show-signature", "--no-textconv", "--no-ext-diff", sha };
}

QStringList fileDiff(const QString &sha, const ChangedFile &file)
{
    QStringList arguments { "show", "--format=", "-p", "-M", "-U3", "--no-color", "--no-ext-diff",
        "--no-textconv", "-m", "--first-parent", "--no-show-signature", sha, "--" };
    if (file.oldPath)
        arguments.append(*file.oldPath);
    arguments.append(file.path);
    return arguments;
}

QStringList fileRevisions(const QString &fileName, int limit)
{
    return { "log", "--no-show-signature", "--no-textconv", "--follow", "-n",
        QString::number(limit), "--name-only",
        "--format=%x1e%H%x1f%ct%x1f%s", "--", fileName };
}

QStringList fileAtRevision(const Revision &revision)
{
    return { "show", "--no-textconv", revision.sha + ':' + revision.path };
}

QStringList lastCommit(const QString &fileName)
{
    return { "log", "--no-show-signature", "--no-textconv", "-1", "--format=%h%x1f%ct%x1f%s",
        "--", fileName };
}

QStringList blame(const QString &fileName, bool withContents)
{
    QStringList arguments { "blame", "--incremental", "--no-textconv" };
    if (withContents)
        arguments << "--contents"
                  << "-";
    arguments << "--" << fileName;
    return arguments;
}

}
