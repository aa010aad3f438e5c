#include "SSHClient.h"

#include "HostTrust.h"
#include "RunToken.h"
#include "SSHArguments.h"
#include "SSHRun.h"

#include "common/MainThread.h"

#include <QThreadPool>

namespace
{

// ssh runs block on the network for as long as a transfer takes, so they get threads of their
// own instead of taking the few of the global pool that syntax scans need. Never destroyed; at
// exit a run stuck on a dead connection is waited for only briefly.
QThreadPool &sshPool()
{
    static QThreadPool *pool = [] {
        auto *created = new QThreadPool;
        created->setMaxThreadCount(32);
        MainThread::watchPool(created);
        return created;
    }();
    return *pool;
}

// Queue priorities: runs the user waits for before checks and disconnects.
constexpr int userInitiated = 1;
constexpr int utility = 0;

}

SSHClient::SSHClient(RemoteHost host)
    : host(std::move(host))
{
}

SSHClient::~SSHClient()
{
    cancel();
}

QStringList SSHClient::arguments(const QString &script) const
{
    return sshArguments(host.destination, host.port, shellNeutral(script), controlDirectory(),
        acceptsNewHostKey());
}

ChildProcess::Program SSHClient::process(const QString &script) const
{
    return { sshPrograms().ssh, arguments(script), {}, std::nullopt };
}

QStringList SSHClient::control(const QString &operation) const
{
    return controlArguments(host.destination, host.port, controlDirectory(), operation);
}

std::shared_ptr<RunToken> SSHClient::newToken()
{
    std::erase_if(tokens, [](const std::weak_ptr<RunToken> &token) { return token.expired(); });
    auto token = std::make_shared<RunToken>();
    tokens.push_back(token);
    return token;
}

void SSHClient::run(const QString &script, const std::optional<QByteArray> &input, qsizetype limit,
    std::function<void(const SSHResult &)> completion)
{
    runInBackground(
        script, input, limit, [completion](const SSHResult &result) -> std::function<void()> {
            return [completion, result] { completion(result); };
        });
}

void SSHClient::runInBackground(const QString &script, const std::optional<QByteArray> &input,
    qsizetype limit, BackgroundStep step)
{
    // The arguments are taken now: a later change of the client leaves this run as it was.
    const QStringList arguments = this->arguments(script);
    const auto token = newToken();
    sshPool().start(
        [arguments, input, limit, token, step] {
            const SSHResult result = runSSH(arguments, input, limit, token.get());
            if (token->cancelled())
                return;
            MainThread::post([token, next = step(result)] {
                if (!token->cancelled() && next)
                    next();
            });
        },
        userInitiated);
}

void SSHClient::checkAlive(std::function<void(bool)> completion)
{
    const QStringList arguments = control(QStringLiteral("check"));
    const auto token = newToken();
    sshPool().start(
        [arguments, token, completion] {
            const bool alive
                = runSSH(arguments, std::nullopt, controlOutputLimit, token.get()).status == 0;
            MainThread::post([token, completion, alive] {
                if (!token->cancelled())
                    completion(alive);
            });
        },
        utility);
}

void SSHClient::disconnect()
{
    // Not tied to a token: a client is often disconnected just before it is dropped.
    sshPool().start([arguments = control(QStringLiteral(
                         "exit"))] { runSSH(arguments, std::nullopt, controlOutputLimit); },
        utility);
}

void SSHClient::disconnectAll(const std::vector<std::shared_ptr<SSHClient>> &clients)
{
    for (const auto &client : clients)
        runSSH(client->control(QStringLiteral("exit")), std::nullopt, controlOutputLimit);
}

void SSHClient::cancel()
{
    for (const auto &weak : tokens)
        if (const auto token = weak.lock())
            token->cancel();
    tokens.clear();
}

void SSHClient::fetchHostKeyFingerprint(
    const RemoteHost &host, std::function<void(const std::optional<QString> &)> completion)
{
    sshPool().start(
        [destination = host.destination, port = host.port, completion] {
            const auto fingerprint = hostKeyFingerprint(destination, port);
            MainThread::post([completion, fingerprint] { completion(fingerprint); });
        },
        userInitiated);
}
