#include "ChildProcess.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace
{

constexpr size_t chunkSize = 64 * 1024;

void closeIfOpen(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Both ends close on exec, so a child that another thread starts meanwhile cannot inherit them
// and hold our pipes open.
bool openPipe(std::array<int, 2> &ends)
{
    return ::pipe2(ends.data(), O_CLOEXEC) == 0;
}

// Byte strings for argv and envp, kept alive with their pointer array.
struct CArray {
    std::vector<QByteArray> strings;
    std::vector<char *> pointers;

    char **data()
    {
        pointers.clear();
        for (QByteArray &string : strings)
            pointers.push_back(string.data());
        pointers.push_back(nullptr);
        return pointers.data();
    }
};

int statusOf(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return WTERMSIG(waitStatus);
    return -1;
}

// Waits on both descriptors; answers whether `stop` became readable.
bool pollStopped(int fd, short events, int stop)
{
    std::array<pollfd, 2> fds { pollfd { fd, events, 0 }, pollfd { stop, POLLIN, 0 } };
    while (::poll(fds.data(), fds.size(), -1) < 0 && errno == EINTR) { }
    return (fds[1].revents & POLLIN) != 0;
}

// Feeds the bytes to the child's input and closes it. Errors end the feeding quietly: a child
// may exit without reading everything.
void feedInput(int fd, const QByteArray input, int stop)
{
    // A write to a pipe the child has closed raises SIGPIPE in the writing thread; blocked
    // here, the write fails with EPIPE instead, whatever the application does with the signal.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    qsizetype written = 0;
    while (written < input.size()) {
        const size_t size = std::min<size_t>(input.size() - written, chunkSize);
        const ssize_t n = ::write(fd, input.constData() + written, size);
        if (n > 0)
            written += n;
        else if (n < 0 && errno == EAGAIN) {
            if (pollStopped(fd, POLLOUT, stop))
                break;
        } else if (!(n < 0 && errno == EINTR))
            break;
    }
    ::close(fd);
}

}

struct ChildProcess::Shared {
    pid_t pid = 0;
    int outRead = -1;
    int errRead = -1;
    // Readable for good once terminate was called: wakes the reader and the input writer.
    std::array<int, 2> stop { -1, -1 };
    std::thread writer;

    std::mutex mutex; // guards reaped against a concurrent terminate
    bool reaped = false;
    int waitStatus = -1;

    void requestStop() const
    {
        const char byte = 0;
        if (stop[1] >= 0)
            while (::write(stop[1], &byte, 1) < 0 && errno == EINTR) { }
    }

    void signal(int number)
    {
        std::lock_guard lock(mutex);
        if (pid > 0 && !reaped)
            ::kill(pid, number);
    }

    ~Shared()
    {
        if (writer.joinable()) {
            requestStop();
            writer.join();
        }
        closeIfOpen(outRead);
        closeIfOpen(errRead);
        closeIfOpen(stop[0]);
        closeIfOpen(stop[1]);
    }
};

ChildProcess::ChildProcess(Program program)
    : program(std::move(program))
    , shared(std::make_shared<Shared>())
{
}

ChildProcess::~ChildProcess()
{
    if (shared->pid > 0 && !shared->reaped) {
        shared->signal(SIGKILL);
        wait();
    }
}

qint64 ChildProcess::processId() const
{
    return shared->pid;
}

namespace
{

// The pipes of one start: our ends and the child's.
struct Pipes {
    std::array<int, 2> input { -1, -1 };
    std::array<int, 2> output { -1, -1 };
    std::array<int, 2> errors { -1, -1 };

    ~Pipes()
    {
        for (auto *pair : { &input, &output, &errors })
            for (int &fd : *pair)
                closeIfOpen(fd);
    }
};

// Starts the program with its standard streams on the given descriptors (-1: the null
// device), every signal at its default and none blocked: the application ignores SIGPIPE,
// and an ignored signal would stay ignored in the child. Answers 0 or an errno.
int spawn(const ChildProcess::Program &program, int input, int output, int errors, pid_t *pid)
{
    CArray argv;
    argv.strings.push_back(QFile::encodeName(program.program));
    for (const QString &argument : program.arguments)
        argv.strings.push_back(argument.toUtf8());
    CArray envp;
    if (program.environment)
        for (const QString &entry : *program.environment)
            envp.strings.push_back(entry.toUtf8());
    const QByteArray folder = QFile::encodeName(program.workingFolder);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input >= 0)
        posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    if (errors >= 0)
        posix_spawn_file_actions_adddup2(&actions, errors, STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (!folder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.constData());

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigfillset(&defaults);
    sigdelset(&defaults, SIGKILL);
    sigdelset(&defaults, SIGSTOP);
    sigset_t unblocked;
    sigemptyset(&unblocked);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &unblocked);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    const int error = ::posix_spawn(pid, argv.strings.front().constData(), &actions, &attributes,
        argv.data(), program.environment ? envp.data() : environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error;
}

}

bool ChildProcess::start(const std::optional<QByteArray> &input, Errors errors)
{
    Pipes pipes;
    const bool capture = errors == Errors::capture;
    if (!openPipe(pipes.output) || (input && !openPipe(pipes.input))
        || (capture && !openPipe(pipes.errors)) || !openPipe(shared->stop)) {
        launchError = errno;
        return false;
    }
    pid_t pid = 0;
    launchError = spawn(program, pipes.input[0], pipes.output[1], pipes.errors[1], &pid);
    if (launchError != 0)
        return false;
    shared->pid = pid;
    std::swap(shared->outRead, pipes.output[0]);
    std::swap(shared->errRead, pipes.errors[0]);
    if (input) {
        shared->writer = std::thread(feedInput, pipes.input[1], *input, shared->stop[0]);
        pipes.input[1] = -1; // the writer closes it
    }
    return true;
}

bool ChildProcess::readOutput(const std::function<bool(QByteArrayView chunk)> &onOutput)
{
    QByteArray buffer(chunkSize, Qt::Uninitialized);
    while (shared->outRead >= 0 || shared->errRead >= 0) {
        std::array<pollfd, 3> fds { pollfd { shared->stop[0], POLLIN, 0 },
            pollfd { shared->outRead, POLLIN, 0 }, pollfd { shared->errRead, POLLIN, 0 } };
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (fds[0].revents & POLLIN)
            return false;
        for (size_t i = 1; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            int &fd = i == 1 ? shared->outRead : shared->errRead;
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n <= 0)
                closeIfOpen(fd);
            else if (i == 2)
                errorBytes.append(buffer.constData(), n);
            else if (!onOutput(QByteArrayView(buffer.constData(), n)))
                return false;
        }
    }
    return true;
}

int ChildProcess::wait()
{
    if (shared->pid <= 0)
        return -1;
    // Wait without reaping, then reap under the lock: terminate never signals a process id that
    // the system may already have given to someone else.
    siginfo_t info {};
    while (::waitid(P_PID, id_t(shared->pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) { }
    {
        std::lock_guard lock(shared->mutex);
        if (!shared->reaped) {
            int waitStatus = 0;
            pid_t reaped = -1;
            while ((reaped = ::waitpid(shared->pid, &waitStatus, 0)) < 0 && errno == EINTR) { }
            shared->waitStatus = reaped == shared->pid ? statusOf(waitStatus) : -1;
            shared->reaped = true;
        }
    }
    // A grandchild may still hold the input open; the child is gone, so stop feeding it.
    if (shared->writer.joinable()) {
        shared->requestStop();
        shared->writer.join();
    }
    return shared->waitStatus;
}

void ChildProcess::terminate()
{
    shared->requestStop();
    shared->signal(SIGTERM);
}

ChildProcess::Result ChildProcess::run(const Program &program,
    const std::optional<QByteArray> &input, Errors errors, qsizetype outputLimit)
{
    ChildProcess child(program);
    Result result;
    if (!child.start(input, errors)) {
        result.startError = child.startError();
        return result;
    }
    result.started = true;
    child.readOutput([&](QByteArrayView chunk) {
        result.output.append(chunk);
        result.cutOff = outputLimit >= 0 && result.output.size() > outputLimit;
        return !result.cutOff;
    });
    if (result.cutOff)
        child.terminate();
    result.status = child.wait();
    result.errors = child.errors();
    return result;
}
