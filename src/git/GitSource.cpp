#include "GitSource.h"

#include "GitRun.h"
#include "GitText.h"

#include "remote/RemoteHost.h"
#include "remote/RemoteScripts.h"
#include "remote/SSHRun.h"

#include "common/MainThread.h"

#include <QThreadPool>

namespace
{

std::optional<QByteArray> runRemote(const RemoteRepo &repo, const QStringList &arguments)
{
    if (!repo.client)
        return std::nullopt;
    const QString script = withEndMarker(remoteGitCommand(arguments, repo.directory));
    const SSHResult result = runSSH(repo.client->arguments(script), {}, commandOutputLimit);
    return markedOutput(result.status, result.stdout);
}

// The last path component, trailing slashes ignored ("/srv/app/" is "app").
QString lastComponent(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// The queue of all local git work, made on first use. It lives as long as the process; quitting
// waits for a git run only briefly.
QThreadPool *localQueue()
{
    static QThreadPool *const queue = [] {
        auto *pool = new QThreadPool;
        pool->setObjectName(QStringLiteral("quillmar.git"));
        pool->setMaxThreadCount(1);
        MainThread::watchPool(pool);
        return pool;
    }();
    return queue;
}

}

GitSource GitSource::local(const QString &folder)
{
    return GitSource(folder);
}

GitSource GitSource::remote(const RemoteRepo &repo)
{
    return GitSource(repo);
}

QString GitSource::folder() const
{
    const QString *path = std::get_if<QString>(&where);
    return path ? *path : QString();
}

std::optional<QByteArray> GitSource::run(const QStringList &arguments) const
{
    if (const RemoteRepo *repo = remoteRepo())
        return runRemote(*repo, arguments);
    return runGit(arguments, folder());
}

std::optional<GitSource> GitSource::repositoryRoot() const
{
    const RemoteRepo *repo = remoteRepo();
    if (!repo) {
        const auto root = ::repositoryRoot(folder());
        return root ? std::optional(local(*root)) : std::nullopt;
    }
    const auto output
        = runRemote(*repo, { QStringLiteral("rev-parse"), QStringLiteral("--show-toplevel") });
    const auto text = output ? decodeUtf8(*output) : std::nullopt;
    const QString path = text ? text->trimmed() : QString();
    if (path.isEmpty())
        return std::nullopt;
    return remote(RemoteRepo { repo->client, path });
}

QString GitSource::displayName() const
{
    const RemoteRepo *repo = remoteRepo();
    if (!repo)
        return lastComponent(folder());
    const QString destination = repo->client ? repo->client->host.destination : QString();
    return shortHostLabel(destination) + QLatin1Char(':') + lastComponent(repo->directory);
}

void gitWork(const GitSource &source, std::function<void()> work)
{
    QThreadPool *queue = source.isLocal() ? localQueue() : QThreadPool::globalInstance();
    queue->start(std::move(work));
}
