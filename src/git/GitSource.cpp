#include "GitSource.h"

#include "GitRun.h"
#include "GitText.h"

#include <QThreadPool>

namespace
{

// The most output a remote run keeps; a larger answer counts as a failure.
constexpr qsizetype remoteOutputLimit = 80'000'000;

std::optional<QByteArray> runRemote(const RemoteRepo &repo, const QStringList &arguments)
{
    if (!repo.client || !repo.client->command)
        return std::nullopt;
    const auto program = repo.client->command(remoteGitCommand(arguments, repo.directory));
    const auto result
        = ChildProcess::run(program, {}, ChildProcess::Errors::discard, remoteOutputLimit);
    if (result.status != 0 || result.cutOff)
        return std::nullopt;
    return result.output;
}

// The last path component, trailing slashes ignored ("/srv/app/" is "app").
QString lastComponent(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// The queue of all local git work, made on first use. It lives as long as the process, so
// quitting never waits for a git run.
QThreadPool *localQueue()
{
    static QThreadPool *const queue = [] {
        auto *pool = new QThreadPool;
        pool->setObjectName(QStringLiteral("quillmar.git"));
        pool->setMaxThreadCount(1);
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
    const QString destination = repo->client ? repo->client->destination : QString();
    return gitHostLabel(destination) + QLatin1Char(':') + lastComponent(repo->directory);
}

QString gitHostLabel(const QString &destination)
{
    QString host = destination.mid(destination.indexOf(QLatin1Char('@')) + 1);
    if (host.size() >= 17)
        host = host.left(15) + QChar(0x2026);
    return host;
}

void gitWork(const GitSource &source, std::function<void()> work)
{
    QThreadPool *queue = source.isLocal() ? localQueue() : QThreadPool::globalInstance();
    queue->start(std::move(work));
}
