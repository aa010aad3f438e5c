#include "ServerTest.h"

#include "remote/HostTrust.h"
#include "remote/SSHArguments.h"
#include "remote/SSHFailure.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

using testsupport::waitUntil;

namespace
{

using Kind = SSHFailure::Kind;

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char &byte : bytes)
        byte = char(generator.generate());
    return bytes;
}

using SSHClientTest = ServerTest;

TEST_F(SSHClientTest, InputAndBothOutputsFlowTogetherAndResultsArriveOnTheMainThread)
{
    const auto ssh = client();
    const QByteArray input = randomBytes(5 * 1024 * 1024);
    Awaited<SSHResult> result;
    bool onMainThread = false;
    // The errors are written before the input is read: a runner that drained one stream at a
    // time would stall here.
    ssh->run(QStringLiteral("head -c 300000 /dev/zero >&2; cat; exit 7"), input, commandOutputLimit,
        [&](const SSHResult &delivered) {
            onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
            result.value = delivered;
        });
    ASSERT_TRUE(result.wait());
    EXPECT_TRUE(onMainThread);
    EXPECT_EQ(result.value->status, 7);
    EXPECT_EQ(result.value->stdout, input);
    EXPECT_EQ(result.value->stderr.size(), 300000);
    EXPECT_FALSE(classifyFailure(*result.value));
}

TEST_F(SSHClientTest, OutputOfExactlyTheLimitCompletesAndOneByteMoreIsCutOff)
{
    const auto ssh = client();
    const QString command = QStringLiteral("head -c 100000 /dev/zero");
    const SSHResult whole = runOn(*ssh, command, std::nullopt, 100000);
    EXPECT_EQ(whole.status, 0);
    EXPECT_EQ(whole.stdout.size(), 100000);
    const SSHResult cut = runOn(*ssh, command, std::nullopt, 99999);
    EXPECT_EQ(cut.status, SSHResult::cutOffStatus);
    EXPECT_GT(cut.stdout.size(), 99999);
}

TEST_F(SSHClientTest, ACommandLineWithSpacesQuotesAndSemicolonsArrivesAsOneWord)
{
    const auto ssh = client();
    const SSHResult result = runOn(*ssh,
        QStringLiteral("printf '%s|' \"a  b\" 'c;d' ; printf '%s' ") + remoteQuote("it's -x"));
    EXPECT_EQ(result.status, 0) << result.stderr.toStdString();
    EXPECT_EQ(result.stdout, "a  b|c;d|it's -x");
}

TEST_F(SSHClientTest, AClosedPortIsUnreachable)
{
    SSHClient ssh(host(SshServerFixture::freePort()));
    const auto failure = classifyFailure(runOn(ssh, QStringLiteral("true")));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, Kind::unreachable);
    EXPECT_TRUE(failure->detail.contains("Connection refused")) << failure->detail.toStdString();
    EXPECT_EQ(shortFailureText(failure->detail), "Connection refused");
}

TEST_F(SSHClientTest, AKeyTheServerDoesNotKnowIsAnAuthenticationFailure)
{
    useSSH(server.sshProgramWithWrongKey());
    const auto ssh = client();
    const auto failure = classifyFailure(runOn(*ssh, QStringLiteral("true")));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, Kind::authentication);
    EXPECT_TRUE(failure->detail.contains("Permission denied")) << failure->detail.toStdString();
}

TEST_F(SSHClientTest, SSHThatCannotStartIsAnOtherFailure)
{
    useSSH(QStringLiteral("/nonexistent/ssh"));
    const auto ssh = client();
    const SSHResult result = runOn(*ssh, QStringLiteral("true"));
    EXPECT_EQ(result.status, 255);
    EXPECT_EQ(classifyFailure(result),
        (SSHFailure { Kind::other, "Couldn't run ssh: No such file or directory" }));
}

TEST_F(SSHClientTest, AnUnknownKeyFailsInBatchModeUntilTheUserTrustsIt)
{
    server.forgetHostKey();
    const auto ssh = client();
    const SSHResult refused = runOn(*ssh, QStringLiteral("echo hi"));
    EXPECT_TRUE(refused.stderr.contains("Host key verification failed"));
    ASSERT_EQ(classifyFailure(refused), (SSHFailure { Kind::unknownHostKey, {} }));

    std::optional<CardText> card;
    std::function<void()> trust;
    Awaited<SSHResult> reconnected;
    startTrust(ssh,
        { [](const QString &note) { ADD_FAILURE() << note.toStdString(); },
            [&](const CardText &shown, std::function<void()> onTrust) {
                card = shown;
                trust = onTrust;
            },
            [&] {
                ssh->run("echo hi", std::nullopt, commandOutputLimit, reconnected.callback());
            } });
    ASSERT_TRUE(waitUntil([&] { return card.has_value(); }, 15000));
    EXPECT_EQ(card->title, "Trust " + server.destination() + "?");
    // The key ssh-keyscan read is the server's own.
    const auto listed = runTool("/usr/bin/ssh-keygen", { "-lf", server.hostKeyFile() });
    ASSERT_TRUE(listed);
    const QString hash = QString::fromUtf8(*listed).section(' ', 1, 1);
    EXPECT_TRUE(hash.startsWith("SHA256:"));
    EXPECT_TRUE(card->message.contains("Its key:\n256 " + hash + " "))
        << card->message.toStdString();
    EXPECT_FALSE(ssh->acceptsNewHostKey());
    trust();
    EXPECT_TRUE(ssh->acceptsNewHostKey());
    ASSERT_TRUE(reconnected.wait());
    EXPECT_EQ(reconnected.value->status, 0) << reconnected.value->stderr.toStdString();
    EXPECT_EQ(reconnected.value->stdout, "hi\n");
    // ssh recorded the key itself.
    const QByteArray key = server.hostPublicKey().split(' ').value(1);
    EXPECT_TRUE(testsupport::readFile(server.knownHostsFile()).contains(key));
}

// A name from the ssh configuration is scanned at the host and port it stands for.
TEST_F(SSHClientTest, AConfigurationAliasWithAnUnknownKeyCanBeTrusted)
{
    server.forgetHostKey();
    const auto ssh = std::make_shared<SSHClient>(
        RemoteHost { QStringLiteral("alias"), server.alias(), std::nullopt, { QStringLiteral("~") } });
    EXPECT_EQ(classifyFailure(runOn(*ssh, QStringLiteral("echo hi"))),
        (SSHFailure { Kind::unknownHostKey, {} }));
    std::function<void()> trust;
    Awaited<SSHResult> reconnected;
    startTrust(ssh,
        { [](const QString &note) { ADD_FAILURE() << note.toStdString(); },
            [&](const CardText &, std::function<void()> onTrust) { trust = onTrust; },
            [&] { ssh->run("echo hi", std::nullopt, commandOutputLimit, reconnected.callback()); } });
    ASSERT_TRUE(waitUntil([&] { return bool(trust); }, 15000));
    trust();
    ASSERT_TRUE(reconnected.wait());
    EXPECT_EQ(reconnected.value->stdout, "hi\n") << reconnected.value->stderr.toStdString();
}

TEST(HostTrust, ScanTargetFollowsTheConfiguration)
{
    const QByteArray resolved = "user me\nhostname 10.0.0.7\nport 2222\nbatchmode no\n";
    EXPECT_EQ(scanTarget(resolved, "web", std::nullopt), (ScanTarget { "10.0.0.7", 2222 }));
    EXPECT_EQ(scanTarget("hostname box\nport 22\n", "me@web", 2200),
        (ScanTarget { "box", std::nullopt }));
    // ssh answered nothing: the destination's own host part and port.
    EXPECT_EQ(scanTarget({}, "me@web", 2200), (ScanTarget { "web", 2200 }));
    EXPECT_EQ(resolveArguments("me@web", 2200), (QStringList { "-G", "-p", "2200", "me@web" }));
}

TEST_F(SSHClientTest, AMachineWhoseKeyCannotBeReadGetsANote)
{
    const auto ssh = client(SshServerFixture::freePort());
    Awaited<QString> note;
    startTrust(ssh,
        { note.callback(), [](const CardText &, std::function<void()>) { ADD_FAILURE(); }, [] {} });
    ASSERT_TRUE(note.wait(15000));
    EXPECT_EQ(*note.value, "Couldn't read " + server.destination() + "'s key. Is it reachable?");
}

TEST_F(SSHClientTest, RunsShareOneMasterConnectionUntilDisconnected)
{
    const auto ssh = client();
    Awaited<bool> aliveBefore;
    ssh->checkAlive(aliveBefore.callback());
    ASSERT_TRUE(aliveBefore.wait());
    EXPECT_FALSE(*aliveBefore.value); // checking never connects

    // The client's end of the connection: the same address and port for both runs.
    const QByteArray first = runOn(*ssh, QStringLiteral("echo $SSH_CONNECTION")).stdout;
    const QByteArray second = runOn(*ssh, QStringLiteral("echo $SSH_CONNECTION")).stdout;
    EXPECT_FALSE(first.trimmed().isEmpty());
    EXPECT_EQ(first, second);
    EXPECT_EQ(server.connectionCount(), 1);
    Awaited<bool> alive;
    ssh->checkAlive(alive.callback());
    ASSERT_TRUE(alive.wait());
    EXPECT_TRUE(*alive.value);

    ssh->disconnect();
    EXPECT_TRUE(waitUntil([&] { return server.connectionCount() == 0; }, 10000));
    Awaited<bool> afterDisconnect;
    ssh->checkAlive(afterDisconnect.callback());
    ASSERT_TRUE(afterDisconnect.wait());
    EXPECT_FALSE(*afterDisconnect.value);

    // Quitting closes the masters before it returns.
    EXPECT_EQ(runOn(*ssh, QStringLiteral("true")).status, 0);
    SSHClient::disconnectAll({ ssh });
    Awaited<bool> afterQuit;
    ssh->checkAlive(afterQuit.callback());
    ASSERT_TRUE(afterQuit.wait());
    EXPECT_FALSE(*afterQuit.value);
}

TEST_F(SSHClientTest, ACancelledRunIsEndedAndNeverCallsBack)
{
    const auto ssh = client();
    EXPECT_EQ(runOn(*ssh, QStringLiteral("true")).status, 0); // the master is up
    bool called = false;
    ssh->run(QStringLiteral("echo started > ~/started; cat > ~/sink; echo ended > ~/ended"),
        QByteArray(256 * 1024 * 1024, 'x'), commandOutputLimit,
        [&](const SSHResult &) { called = true; });
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(server.path("started")); }, 20000));
    ssh->cancel();
    // With ssh gone the remote side sees its input end early.
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(server.path("ended")); }, 20000));
    EXPECT_LT(QFileInfo(server.path("sink")).size(), 256 * 1024 * 1024);
    EXPECT_EQ(runOn(*ssh, QStringLiteral("echo again")).stdout, "again\n");
    EXPECT_FALSE(called);
}

}
