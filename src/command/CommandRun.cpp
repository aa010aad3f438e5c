#include "CommandRun.h"

#include "OutputDecoder.h"

#include "common/MainThread.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcessEnvironment>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

Q_LOGGING_CATEGORY(lcRun, "quillmar.run", QtWarningMsg)

using Clock = std::chrono::steady_clock;

namespace
{

constexpr auto forcedFinishDelay = std::chrono::seconds(1);
constexpr auto killAfterCancel = std::chrono::seconds(1);
constexpr size_t readSize = 64 * 1024;
// Decoded text waiting for the main thread; past this the queue stops reading, and the child
// waits on a full pipe until the main thread catches up.
constexpr qsizetype outgoingCap = 4 * 1024 * 1024;
constexpr int unknownWaitStatus = -1; // no real wait status has every bit set

// A list of C strings that stays valid as long as the list lives.
class CStrings
{
public:
    void add(const QByteArray &bytes) { storage.push_back(bytes); }
    std::vector<char *> pointers()
    {
        std::vector<char *> out;
        out.reserve(storage.size() + 1);
        for (QByteArray &bytes : storage)
            out.push_back(bytes.data());
        out.push_back(nullptr);
        return out;
    }

private:
    std::vector<QByteArray> storage;
};

CStrings commandEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TERM"), QStringLiteral("dumb"));
    environment.insert(QStringLiteral("NO_COLOR"), QStringLiteral("1"));
    CStrings out;
    for (const QString &entry : environment.toStringList())
        out.add(entry.toLocal8Bit());
    return out;
}

// The exit status, or the number of the signal that ended the child; -1 when it is unknown (the
// child was reaped elsewhere).
int statusFromWait(int waitStatus)
{
    if (waitStatus == unknownWaitStatus)
        return -1;
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return WTERMSIG(waitStatus);
    return -1;
}

QString errnoDescription(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void setThreadName(const char *name)
{
#if defined(Q_OS_MACOS)
    pthread_setname_np(name);
#else
    pthread_setname_np(pthread_self(), name);
#endif
}

// A pipe whose ends are closed on exec from the start, so that a child started at the same time
// by another thread never inherits them (it would hold the output open).
int makePipe(int fds[2], bool nonBlocking)
{
#if defined(Q_OS_LINUX)
    return ::pipe2(fds, O_CLOEXEC | (nonBlocking ? O_NONBLOCK : 0));
#else
    if (::pipe(fds) != 0)
        return -1;
    for (int i = 0; i < 2; ++i) {
        ::fcntl(fds[i], F_SETFD, FD_CLOEXEC);
        if (nonBlocking)
            ::fcntl(fds[i], F_SETFL, O_NONBLOCK);
    }
    return 0;
#endif
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Starts the program with both output streams on the pipe's write end and the null device as
// its input. Answers 0 or the error number.
int spawnChild(const LaunchSpec &launch, int outputWrite, pid_t *pid)
{
    CStrings arguments;
    const QByteArray program = QFile::encodeName(launch.program);
    arguments.add(program);
    for (const QString &argument : launch.arguments)
        arguments.add(argument.toLocal8Bit());
    CStrings environment = commandEnvironment();
    const QByteArray folder = QFile::encodeName(launch.workingFolder);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outputWrite, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outputWrite, STDERR_FILENO);
    if (!folder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.constData());

    // The application ignores SIGPIPE and its threads may block signals; an ignored signal
    // would stay ignored in the child (a pipeline such as `yes | head` would never end), so
    // the child starts with every signal at its default and none blocked.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setsigdefault(&attributes, &all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    // Its own process group, so that a stop reaches every process of a pipeline, not just the
    // shell that started them.
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);

    auto argv = arguments.pointers();
    auto envp = environment.pointers();
    const int error
        = ::posix_spawn(pid, program.constData(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error;
}

}

struct CommandRun::Shared {
    // Set before the threads start, then only read.
    pid_t pid = 0;
    int readFd = -1; // closed by the queue when it ends
    int wakeRead = -1;
    int wakeWrite = -1;
    Clock::time_point started;

    // Main thread only.
    CommandRun *owner = nullptr;

    // Guarded by mutex: touched by the main thread, the queue and the waiter.
    std::mutex mutex;
    bool reaped = false;
    int waitStatus = 0;
    int stopRequests = 0;
    bool cancelled = false;
    QString outgoing; // text not yet taken by the main thread
    bool outputPosted = false; // a post that will take `outgoing` is on its way

    // The queue only.
    OutputDecoder decoder;
    bool sawEnd = false;
    bool exited = false;
    bool finished = false;
    std::optional<Clock::time_point> forcedAt; // the forced finish after the exit
    std::optional<Clock::time_point> killAt; // SIGKILL for a cancelled run whose child lives on

    ~Shared()
    {
        closeFd(readFd);
        closeFd(wakeRead);
        closeFd(wakeWrite);
    }

    // Signals every process of the command's group. Called under the mutex; after the child is
    // reaped only while the run has not finished: what is left of the group (a pipeline's other
    // processes, a background job) still holds the group's id then.
    void signalGroup(int signal) const { ::kill(-pid, signal); }

    void wake() const
    {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeWrite, &byte, 1);
    }

    // Posts to the main thread; the work runs only while the run still exists.
    template <typename Work> static void toMain(const std::shared_ptr<Shared> &self, Work work)
    {
        MainThread::post([self, work = std::move(work)]() {
            if (CommandRun *run = self->owner)
                work(*run);
        });
    }

    // Hands text to the main thread. Pieces that arrive while a post is on its way join it, so
    // a flood of output is one event per turn of the main thread's loop, not one per read.
    static void deliver(const std::shared_ptr<Shared> &self, const QString &text)
    {
        if (text.isEmpty())
            return;
        {
            std::lock_guard lock(self->mutex);
            self->outgoing += text;
            if (std::exchange(self->outputPosted, true))
                return;
        }
        toMain(self, [self](CommandRun &run) {
            QString taken;
            {
                std::lock_guard lock(self->mutex);
                taken = std::exchange(self->outgoing, QString());
                self->outputPosted = false;
            }
            if (taken.size() >= outgoingCap)
                self->wake(); // the queue paused reading: go on
            if (auto callback = run.onOutput)
                callback(taken);
        });
    }

    bool outgoingFull()
    {
        std::lock_guard lock(mutex);
        return outgoing.size() >= outgoingCap;
    }

    static void tryFinish(const std::shared_ptr<Shared> &self, bool force)
    {
        if (self->finished || !self->exited || !(self->sawEnd || force))
            return;
        self->finished = true;
        if (!self->sawEnd)
            deliver(self, self->decoder.finish());
        int status;
        bool stopped;
        {
            std::lock_guard lock(self->mutex);
            status = statusFromWait(self->waitStatus);
            stopped = self->stopRequests > 0;
            // What the user stopped does not outlive the run: a process of the group that
            // still holds the output a second after the shell's exit is killed.
            if (stopped && !self->sawEnd)
                self->signalGroup(SIGKILL);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - self->started).count();
        toMain(self, [status, stopped, seconds](CommandRun &run) {
            run.finishDelivered = true;
            // The callback may destroy the run: call a copy and touch nothing afterwards.
            if (auto callback = run.onFinish)
                callback(status, stopped, seconds);
        });
    }

    // The thread that waits for the child: waits without reaping, then reaps under the lock so
    // that a signal is never sent to a process id that has been handed to someone else.
    static void waitForChild(std::shared_ptr<Shared> self)
    {
        setThreadName("quillmar.wait");
        siginfo_t info;
        while (::waitid(P_PID, id_t(self->pid), &info, WEXITED | WNOWAIT) == -1 && errno == EINTR) {
        }
        {
            std::lock_guard lock(self->mutex);
            int status = 0;
            pid_t result;
            do {
                result = ::waitpid(self->pid, &status, 0);
            } while (result == -1 && errno == EINTR);
            self->reaped = true;
            self->waitStatus = result == self->pid ? status : unknownWaitStatus;
        }
        self->wake();
    }

    // Notices a cancel or the child's exit. Answers false when the queue has nothing left to do.
    bool noticeChanges(const std::shared_ptr<Shared> &self)
    {
        bool isCancelled;
        bool isReaped;
        {
            std::lock_guard lock(mutex);
            isCancelled = cancelled;
            isReaped = reaped;
        }
        if (isCancelled) {
            // Nobody listens any more: stop reading; make sure the child goes away.
            closeFd(readFd);
            if (isReaped)
                return false;
            if (!killAt)
                killAt = Clock::now() + killAfterCancel;
            if (Clock::now() < *killAt)
                return true;
            std::lock_guard lock(mutex);
            if (!reaped)
                signalGroup(SIGKILL);
            return false;
        }
        if (isReaped && !exited) {
            exited = true;
            forcedAt = Clock::now() + forcedFinishDelay;
            tryFinish(self, false);
        }
        return !finished;
    }

    // Waits for the wake pipe, the output pipe or the next deadline. Answers whether the
    // output pipe is readable.
    bool waitForEvents()
    {
        pollfd fds[2] = { { wakeRead, POLLIN, 0 }, { readFd, POLLIN, 0 } };
        const nfds_t count = (readFd >= 0 && !sawEnd && !outgoingFull()) ? 2 : 1;
        int timeout = -1;
        if (const auto deadline = killAt ? killAt : forcedAt) {
            const auto left
                = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            timeout = int(std::max<std::chrono::milliseconds::rep>(0, left.count()));
        }
        const int ready = ::poll(fds, count, timeout);
        if (ready <= 0)
            return false;
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(wakeRead, drain, sizeof drain) > 0) { }
        }
        return count == 2 && fds[1].revents != 0;
    }

    void readOutput(const std::shared_ptr<Shared> &self, QByteArray &buffer)
    {
        const ssize_t n = ::read(readFd, buffer.data(), buffer.size());
        if (n > 0) {
            deliver(self, decoder.decode(QByteArrayView(buffer.constData(), n)));
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            sawEnd = true;
            closeFd(readFd);
            deliver(self, decoder.finish());
            tryFinish(self, false);
        }
    }

    // The serial queue of the run: reads the pipe, decodes, notices the exit and finishes.
    static void runQueue(std::shared_ptr<Shared> self)
    {
        setThreadName("quillmar.run");
        QByteArray buffer(readSize, Qt::Uninitialized);
        while (self->noticeChanges(self)) {
            if (self->waitForEvents())
                self->readOutput(self, buffer);
            if (self->forcedAt && Clock::now() >= *self->forcedAt)
                tryFinish(self, true);
        }
        closeFd(self->readFd);
    }
};

CommandRun::CommandRun(LaunchSpec launch)
    : launchSpec(std::move(launch))
{
}

CommandRun::~CommandRun()
{
    if (!shared)
        return;
    shared->owner = nullptr;
    {
        std::lock_guard lock(shared->mutex);
        shared->cancelled = true;
        if (!shared->reaped)
            shared->signalGroup(shared->stopRequests == 0 ? SIGTERM : SIGKILL);
    }
    shared->wake();
}

qint64 CommandRun::processId() const
{
    return shared ? qint64(shared->pid) : 0;
}

bool CommandRun::start(QString *errorDescription)
{
    auto fail = [errorDescription](const QString &description) {
        if (errorDescription)
            *errorDescription = description;
        return false;
    };
    if (started)
        return fail(QStringLiteral("The command was already started"));
    if (!launchSpec.workingFolder.isEmpty() && !QFileInfo(launchSpec.workingFolder).isDir())
        return fail(launchSpec.workingFolder + QStringLiteral(": ") + errnoDescription(ENOENT));

    int output[2];
    int wake[2];
    if (makePipe(output, false) != 0)
        return fail(errnoDescription(errno));
    if (makePipe(wake, true) != 0) {
        const int error = errno;
        ::close(output[0]);
        ::close(output[1]);
        return fail(errnoDescription(error));
    }
    auto state = std::make_shared<Shared>();
    state->readFd = output[0];
    state->wakeRead = wake[0];
    state->wakeWrite = wake[1];

    state->started = Clock::now();
    pid_t pid = 0;
    const int error = spawnChild(launchSpec, output[1], &pid);
    ::close(output[1]);
    if (error != 0)
        return fail(launchSpec.program + QStringLiteral(": ") + errnoDescription(error));

    state->pid = pid;
    state->owner = this;
    shared = state;
    started = true;
    MainThread::startThread([state] { Shared::waitForChild(state); });
    MainThread::startThread([state] { Shared::runQueue(state); });
    return true;
}

void CommandRun::stop()
{
    if (!isRunning())
        return;
    std::lock_guard lock(shared->mutex);
    ++shared->stopRequests;
    shared->signalGroup(shared->stopRequests == 1 ? SIGTERM : SIGKILL);
}
