#pragma once

#include "common/ChildProcess.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

// One child process whose output is delivered chunk by chunk while it runs: local git, or a
// program the caller configured (ssh carrying a remote git command line, grep). A thread of the
// stream's own reads the output and waits for the exit; both callbacks come on the main thread:
// every chunk in order, then exactly one onFinish with the exit status, only once the output has
// ended and the process has exited. A stream that cannot launch (or local git that is missing)
// reports -1 and no data. After cancel, or once the stream is destroyed, nothing is called.
//
// Started at most once; a new run needs a new stream. Main thread only.
class GitStream
{
public:
    // Git with the arguments in the folder (its configuration overrides and environment).
    static std::unique_ptr<GitStream> local(
        const QStringList &arguments, const QString &folder, std::optional<QByteArray> input = {});
    // A program configured by the caller; git's availability is not consulted.
    static std::unique_ptr<GitStream> configured(
        ChildProcess::Program program, std::optional<QByteArray> input = {});

    ~GitStream();
    GitStream(const GitStream &) = delete;
    GitStream &operator=(const GitStream &) = delete;

    void start(std::function<void(const QByteArray &chunk)> onData,
        std::function<void(int status)> onFinish);
    // Stops every further callback and terminates the process when it still runs.
    void cancel();

    // The start of what the program wrote to its standard error, once the end was reported
    // (configured programs only: local git's errors are dropped).
    const QByteArray &errors() const;

    // The end was reported, or the stream was cancelled.
    bool isFinished() const;
    bool wasCancelled() const;
    // The reading thread is done: the child has been reaped and nothing more will be posted
    // (for tests that wait for a cancelled run to wind down).
    bool isIdle() const;
    const ChildProcess::Program &program() const { return process; }

    struct Shared; // what the reading thread hands back to the main thread
    struct Launch; // the child, shared with the thread that launches it

private:
    GitStream(ChildProcess::Program program, std::optional<QByteArray> input, bool needsLocalGit);
    void finishLater(int status);

    ChildProcess::Program process;
    std::optional<QByteArray> input;
    bool needsLocalGit;
    bool started = false;
    std::shared_ptr<Shared> shared;
    std::shared_ptr<Launch> state;
    std::shared_ptr<std::atomic<bool>> idle; // set by the reading thread when it is done
};
