#include "MainThread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMetaObject>
#include <QThreadPool>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct State {
    std::mutex mutex;
    std::condition_variable finished;
    bool closed = false;
    int running = 0;
    std::vector<QThreadPool *> pools;
};

// Never destroyed: counted threads may still touch it while the process exits.
State &state()
{
    static State *const shared = new State;
    return *shared;
}

}

namespace MainThread {

void post(std::function<void()> work)
{
    State &shared = state();
    // Held while posting, so closeDown() cannot pass between the check and the post.
    std::lock_guard lock(shared.mutex);
    QCoreApplication *application = QCoreApplication::instance();
    if (shared.closed || !application)
        return;
    QMetaObject::invokeMethod(application, std::move(work), Qt::QueuedConnection);
}

void startThread(std::function<void()> work)
{
    State &shared = state();
    {
        std::lock_guard lock(shared.mutex);
        ++shared.running;
    }
    std::thread([work = std::move(work), &shared] {
        work();
        std::lock_guard lock(shared.mutex);
        --shared.running;
        shared.finished.notify_all();
    }).detach();
}

void watchPool(QThreadPool *pool)
{
    State &shared = state();
    std::lock_guard lock(shared.mutex);
    shared.pools.push_back(pool);
}

bool closeDown(std::chrono::milliseconds limit)
{
    State &shared = state();
    const QDeadlineTimer deadline(limit);
    std::unique_lock lock(shared.mutex);
    shared.closed = true;
    const bool threadsDone = shared.finished.wait_for(
        lock, std::chrono::milliseconds(std::max<qint64>(0, deadline.remainingTime())),
        [&shared] { return shared.running == 0; });
    const std::vector<QThreadPool *> pools = shared.pools;
    lock.unlock();
    bool poolsDone = true;
    for (QThreadPool *pool : pools)
        poolsDone = pool->waitForDone(int(std::max<qint64>(0, deadline.remainingTime()))) && poolsDone;
    return threadsDone && poolsDone;
}

int runningThreads()
{
    State &shared = state();
    std::lock_guard lock(shared.mutex);
    return shared.running;
}

}
