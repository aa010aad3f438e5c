#include "GitStream.h"

#include "GitLogging.h"
#include "GitRun.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>
#include <thread>

struct GitStream::Shared {
    // Main thread only.
    std::function<void(const QByteArray &)> onData;
    std::function<void(int)> onFinish;
    bool finished = false;
    bool wasCancelled = false;

    std::shared_ptr<ChildProcess> child; // shared with the reading thread

    void deliver(const QByteArray &chunk) const
    {
        if (!finished && onData)
            onData(chunk);
    }

    void finish(int status)
    {
        if (finished)
            return;
        finished = true;
        if (onFinish)
            onFinish(status);
    }
};

namespace
{

// Runs on the main thread later, if the stream is still there. A stream's thread may outlive
// the application object at quitting; its last posts then go nowhere.
template <typename Step> void post(const std::weak_ptr<GitStream::Shared> &weak, Step step)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return;
    QMetaObject::invokeMethod(
        application,
        [weak, step = std::move(step)] {
            if (const auto shared = weak.lock())
                step(*shared);
        },
        Qt::QueuedConnection);
}

// The stream's own thread: every chunk, then the status, posted in that order, so the finish
// always comes after the last chunk.
void readUntilExit(std::shared_ptr<ChildProcess> child, std::weak_ptr<GitStream::Shared> weak,
    std::shared_ptr<std::atomic<bool>> idle)
{
    child->readOutput([&weak](QByteArrayView chunk) {
        post(weak,
            [bytes = chunk.toByteArray()](GitStream::Shared &shared) { shared.deliver(bytes); });
        return true;
    });
    const int status = child->wait();
    post(weak, [status](GitStream::Shared &shared) { shared.finish(status); });
    idle->store(true);
}

}

GitStream::GitStream(
    ChildProcess::Program program, std::optional<QByteArray> input, bool needsLocalGit)
    : process(std::move(program))
    , input(std::move(input))
    , needsLocalGit(needsLocalGit)
    , shared(std::make_shared<Shared>())
    , idle(std::make_shared<std::atomic<bool>>(true))
{
}

std::unique_ptr<GitStream> GitStream::local(
    const QStringList &arguments, const QString &folder, std::optional<QByteArray> input)
{
    return std::unique_ptr<GitStream>(
        new GitStream(gitProcess(arguments, folder), std::move(input), true));
}

std::unique_ptr<GitStream> GitStream::configured(
    ChildProcess::Program program, std::optional<QByteArray> input)
{
    return std::unique_ptr<GitStream>(new GitStream(std::move(program), std::move(input), false));
}

GitStream::~GitStream()
{
    cancel();
}

void GitStream::start(
    std::function<void(const QByteArray &)> onData, std::function<void(int)> onFinish)
{
    if (started)
        return;
    started = true;
    shared->onData = std::move(onData);
    shared->onFinish = std::move(onFinish);
    if (needsLocalGit && !gitAvailable()) {
        finishLater(-1);
        return;
    }
    auto child = std::make_shared<ChildProcess>(process);
    if (!child->start(input, ChildProcess::Errors::discard)) {
        qCDebug(lcGit) << "stream did not start:" << process.program
                       << qt_error_string(child->startError());
        finishLater(-1);
        return;
    }
    shared->child = child;
    idle->store(false);
    std::thread(readUntilExit, child, std::weak_ptr<Shared>(shared), idle).detach();
}

void GitStream::finishLater(int status)
{
    post(shared, [status](Shared &stream) { stream.finish(status); });
}

void GitStream::cancel()
{
    shared->finished = true;
    shared->wasCancelled = true;
    if (shared->child)
        shared->child->terminate();
}

bool GitStream::isFinished() const
{
    return shared->finished;
}

bool GitStream::wasCancelled() const
{
    return shared->wasCancelled;
}

bool GitStream::isIdle() const
{
    return idle->load();
}
