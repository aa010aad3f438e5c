#include "GitStream.h"

#include "GitLogging.h"
#include "GitRun.h"

#include "common/MainThread.h"

#include <atomic>
#include <mutex>

struct GitStream::Shared {
    // Main thread only.
    std::function<void(const QByteArray &)> onData;
    std::function<void(int)> onFinish;
    bool finished = false;
    bool wasCancelled = false;

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

// The child as the stream's thread launched it, and whether the main thread cancelled first.
struct GitStream::Launch {
    std::mutex mutex;
    bool cancelled = false;
    std::shared_ptr<ChildProcess> child;

    // Any thread.
    void cancel()
    {
        std::lock_guard lock(mutex);
        cancelled = true;
        if (child)
            child->terminate();
    }
};

namespace
{

// Runs on the main thread later, if the stream is still there. A stream's thread may outlive
// the application object at quitting; its last posts then go nowhere.
template <typename Step> void post(const std::weak_ptr<GitStream::Shared> &weak, Step step)
{
    MainThread::post([weak, step = std::move(step)] {
        if (const auto shared = weak.lock())
            step(*shared);
    });
}

// The stream's own thread: every chunk, then the status, posted in that order, so the finish
// always comes after the last chunk.
void readUntilExit(const std::shared_ptr<ChildProcess> &child,
    const std::weak_ptr<GitStream::Shared> &weak)
{
    child->readOutput([&weak](QByteArrayView chunk) {
        post(weak,
            [bytes = chunk.toByteArray()](GitStream::Shared &shared) { shared.deliver(bytes); });
        return true;
    });
    const int status = child->wait();
    post(weak, [status](GitStream::Shared &shared) { shared.finish(status); });
}

// Starts the child unless the stream was cancelled meanwhile; nothing when it could not start.
std::shared_ptr<ChildProcess> launch(GitStream::Launch &state,
    const std::optional<ChildProcess::Program> &program, const std::optional<QByteArray> &input)
{
    std::lock_guard lock(state.mutex);
    if (state.cancelled || !program)
        return nullptr;
    auto child = std::make_shared<ChildProcess>(*program);
    if (!child->start(input, ChildProcess::Errors::discard)) {
        qCDebug(lcGit) << "stream did not start:" << program->program
                       << qt_error_string(child->startError());
        return nullptr;
    }
    state.child = child;
    return child;
}

// The stream's own thread. Local git learns its repository's configuration here, never on the
// main thread: that is a git run of its own.
void run(ChildProcess::Program program, bool localGit, std::optional<QByteArray> input,
    std::shared_ptr<GitStream::Launch> state, std::weak_ptr<GitStream::Shared> weak,
    std::shared_ptr<std::atomic<bool>> idle)
{
    const auto ready = localGit ? withoutRepositoryPrograms(std::move(program))
                                : std::optional(std::move(program));
    if (const auto child = launch(*state, ready, input))
        readUntilExit(child, weak);
    else
        post(weak, [](GitStream::Shared &shared) { shared.finish(-1); });
    idle->store(true);
}

}

GitStream::GitStream(
    ChildProcess::Program program, std::optional<QByteArray> input, bool needsLocalGit)
    : process(std::move(program))
    , input(std::move(input))
    , needsLocalGit(needsLocalGit)
    , shared(std::make_shared<Shared>())
    , state(std::make_shared<Launch>())
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
    idle->store(false);
    MainThread::startThread(
        [process = process, needsLocalGit = needsLocalGit, input = input, state = state,
            weak = std::weak_ptr<Shared>(shared), idle = idle] {
            run(process, needsLocalGit, input, state, weak, idle);
        });
}

void GitStream::finishLater(int status)
{
    post(shared, [status](Shared &stream) { stream.finish(status); });
}

void GitStream::cancel()
{
    shared->finished = true;
    shared->wasCancelled = true;
    state->cancel();
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
