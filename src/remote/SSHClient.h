#pragma once

#include "RemoteHost.h"
#include "SSHResult.h"
#include "common/ChildProcess.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class RunToken;

// The ssh side of one saved connection. Every run goes through the host's shared master
// connection; runs happen on background threads and their results come back on the main
// thread through the event loop. The client owns the ssh processes it starts: cancel, or
// destroying the client, ends them, and their results are then dropped.
//
// Main thread only, except arguments and process, which any thread may call.
class SSHClient
{
public:
    explicit SSHClient(RemoteHost host);
    ~SSHClient();
    SSHClient(const SSHClient &) = delete;
    SSHClient &operator=(const SSHClient &) = delete;

    const RemoteHost host;

    // False until the user trusts the machine's key; from then on ssh may record a key it
    // has not seen before.
    bool acceptsNewHostKey() const { return acceptsNew.load(); }
    void acceptNewHostKey() { acceptsNew.store(true); }

    // The ssh arguments that run a POSIX sh script on the machine under /bin/sh, whatever the
    // account's login shell (see shellNeutral), with this client's settings as they are now;
    // and the same as a program to start (for streamed runs such as remote git).
    QStringList arguments(const QString &script) const;
    ChildProcess::Program process(const QString &script) const;

    // Runs the script on the machine and hands the result to the completion on the main
    // thread.
    void run(const QString &script, const std::optional<QByteArray> &input, qsizetype limit,
        std::function<void(const SSHResult &)> completion);
    // The same, with a first step on the background thread: it gets the result there and
    // answers what then runs on the main thread (for work too heavy for the main thread).
    using BackgroundStep = std::function<std::function<void()>(const SSHResult &)>;
    void runInBackground(const QString &script, const std::optional<QByteArray> &input,
        qsizetype limit, BackgroundStep step);

    // Whether a master connection to the machine is open. Never opens one.
    void checkAlive(std::function<void(bool)> completion);
    // Asks the master connection to close; the result is not waited for.
    void disconnect();
    // The same for every client, waiting for each: for quitting.
    static void disconnectAll(const std::vector<std::shared_ptr<SSHClient>> &clients);

    // Ends every run in flight; none of them calls back.
    void cancel();

    // The machine's key fingerprint line as ssh-keygen prints it, or nothing when the key
    // cannot be read. Delivered on the main thread.
    static void fetchHostKeyFingerprint(
        const RemoteHost &host, std::function<void(const std::optional<QString> &)> completion);

private:
    std::shared_ptr<RunToken> newToken();
    QStringList control(const QString &operation) const;

    std::atomic<bool> acceptsNew = false;
    std::vector<std::weak_ptr<RunToken>> tokens;
};
