#include "GitQueries.h"

#include "GitParsers.h"
#include "GitRun.h"
#include "GitText.h"

#include <QFileInfo>

namespace
{

std::optional<QString> decoded(const std::optional<QByteArray> &output)
{
    return output ? decodeUtf8(*output) : std::nullopt;
}

std::optional<QString> runText(const GitSource &source, const QStringList &arguments)
{
    return decoded(source.run(arguments));
}

}

namespace GitQueries
{

std::optional<QList<Commit>> logPage(const GitSource &root, int count, int skip)
{
    const auto text = runText(root, GitCommands::logPage(count, skip));
    return text ? std::optional(GitParsers::commits(*text)) : std::nullopt;
}

std::optional<QString> currentBranch(const GitSource &root)
{
    const auto text = runText(root, GitCommands::currentBranch());
    return text ? GitParsers::currentBranch(*text) : std::nullopt;
}

std::optional<Commit> commit(const GitSource &root, const QString &sha)
{
    const auto text = runText(root, GitCommands::commit(sha));
    const auto found = text ? GitParsers::commits(*text) : QList<Commit>();
    return found.isEmpty() ? std::nullopt : std::optional(found.front());
}

std::optional<QString> fullMessage(const GitSource &source, const QString &sha)
{
    const auto text = runText(source, GitCommands::fullMessage(sha));
    return text ? GitParsers::fullMessage(*text) : std::nullopt;
}

std::optional<QList<ChangedFile>> changedFiles(const GitSource &root, const QString &sha)
{
    const auto text = runText(root, GitCommands::changedFiles(sha));
    return text ? std::optional(GitParsers::changedFiles(*text)) : std::nullopt;
}

std::optional<FileDiff> fileDiff(const GitSource &root, const QString &sha, const ChangedFile &file)
{
    const auto text = runText(root, GitCommands::fileDiff(sha, file));
    return text ? std::optional(GitParsers::fileDiff(*text)) : std::nullopt;
}

QList<Revision> fileRevisions(const QString &filePath, int limit)
{
    const QFileInfo file(filePath);
    const auto text
        = decoded(runGit(GitCommands::fileRevisions(file.fileName(), limit), file.absolutePath()));
    return text ? GitParsers::revisions(*text) : QList<Revision>();
}

std::optional<QString> fileAtRevision(const QString &filePath, const Revision &revision)
{
    if (revision.path.isEmpty())
        return std::nullopt;
    const auto root = repositoryRootOfFile(filePath);
    return root ? decoded(runGit(GitCommands::fileAtRevision(revision), *root)) : std::nullopt;
}

std::optional<LastCommit> lastCommit(const GitSource &folder, const QString &fileName)
{
    const auto text = runText(folder, GitCommands::lastCommit(fileName));
    return text ? GitParsers::lastCommit(*text) : std::nullopt;
}

}
