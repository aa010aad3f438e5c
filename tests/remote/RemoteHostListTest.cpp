#include "remote/RemoteHostList.h"
#include "ServerTest.h"
#include "remote/RemoteFolders.h"
#include "remote/RemoteRows.h"
#include "remote/SSHFailure.h"

#include <QDir>
#include <QElapsedTimer>

#include <iostream>

using testsupport::waitUntil;

namespace
{

TEST(RemoteFolders, ScriptQuotesEachFolderAndKeepsTheHomeUnquoted)
{
    EXPECT_EQ(resolveScript({ "~", "~/my code", "/var/it's" }),
        "( cd ~ 2>/dev/null && pwd -P ) || echo; "
        "( cd ~/'my code' 2>/dev/null && pwd -P ) || echo; "
        "( cd '/var/it'\\''s' 2>/dev/null && pwd -P ) || echo");
    // A missing or empty line is a folder the machine could not enter.
    EXPECT_EQ(resolvedFolders("/home/me\n\n", { "~", "/gone", "/cut" }),
        (QList<ResolvedFolder> { { "/home/me", true }, { "/gone", false }, { "/cut", false } }));
}

// The list's own bookkeeping; no run reaches a machine.
TEST(RemoteHostList, ChangesReachTheSavedListAndTheOpenDocuments)
{
    RemoteHostList list;
    list.setHosts({ { "Web", "me@web", std::nullopt, { "~" } } });
    QList<QList<RemoteHost>> saved;
    QList<std::pair<QString, QString>> moves;
    list.onHostsChanged = [&](const QList<RemoteHost> &hosts) { saved << hosts; };
    list.onHostIDChanged = [&](const QString &from, const QString &to) {
        moves << std::pair { from, to };
    };

    // The same machine gains only the folder; another port is another machine.
    const HostItemPtr web = list.items().front();
    EXPECT_EQ(list.addHost({ "me@web", "me@web", 22, { "/srv" } }), web);
    EXPECT_EQ(web->host.folders, (QStringList { "~", "/srv" }));
    EXPECT_EQ(web->host.name, "Web");
    const HostItemPtr other = list.addHost({ "me@web", "me@web", 2200, { "~" } });
    EXPECT_NE(other, web);
    EXPECT_FALSE(list.addFolder(web, "/srv"));
    EXPECT_TRUE(list.removeFolder(web, "~"));
    EXPECT_FALSE(list.removeFolder(web, "/srv")); // the last one stays
    EXPECT_EQ(web->host.folders, QStringList { "/srv" });
    ASSERT_EQ(saved.size(), 3);
    EXPECT_EQ(saved.back(), list.hosts());

    list.rename(web, "Shop");
    EXPECT_EQ(saved.back().front().name, "Shop");

    // Editing to its own place keeps the identity; moving it reports the move.
    const auto oldClient = web->client;
    list.edit(web, web->host);
    EXPECT_TRUE(moves.isEmpty());
    RemoteHost moved = web->host;
    moved.destination = "me@shop";
    list.edit(web, moved);
    EXPECT_EQ(moves, (QList<std::pair<QString, QString>> { { "me@web:22", "me@shop:22" } }));
    EXPECT_NE(web->client, oldClient);
    EXPECT_EQ(web->client->host.destination, "me@shop");
    EXPECT_EQ(list.itemFor("me@shop:22"), web);
    EXPECT_FALSE(list.itemFor("me@web:22"));

    list.remove(other);
    EXPECT_EQ(saved.back(), (QList<RemoteHost> { web->host }));
    EXPECT_FALSE(list.isAlive("me@web:2200").has_value());
}

class RemoteHostListTest : public ServerTest
{
protected:
    RemoteHostList list;
};

TEST_F(RemoteHostListTest, ConnectingResolvesEachFolderOnTheMachine)
{
    server.writeFile("code/readme", "x");
    RemoteHost entry = host();
    entry.folders = { "~", "~/code", "/nowhere/at all" };
    list.setHosts({ entry });
    const HostItemPtr item = list.items().front();
    list.connect(item);
    EXPECT_EQ(item->state, HostItem::State::connecting);
    ASSERT_TRUE(waitUntil([&] { return item->state != HostItem::State::connecting; }, 30000));
    ASSERT_EQ(item->state, HostItem::State::connected) << item->failure.toStdString();
    const QString home = QDir(server.home()).canonicalPath();
    EXPECT_EQ(item->roots,
        (QList<ResolvedFolder> {
            { home, true }, { home + "/code", true }, { "/nowhere/at all", false } }));
    EXPECT_EQ(list.isAlive(hostID(entry)), true);
}

TEST_F(RemoteHostListTest, FailuresStayOnTheRowAndAnUnknownKeyAsksForTrust)
{
    list.setHosts({ host(SshServerFixture::freePort()) });
    const HostItemPtr closed = list.items().front();
    list.connect(closed);
    ASSERT_TRUE(waitUntil([&] { return closed->state == HostItem::State::failed; }, 30000));
    EXPECT_FALSE(closed->failure.isEmpty());
    EXPECT_TRUE(closed->roots.isEmpty());

    server.forgetHostKey();
    list.setHosts({ host() });
    HostItemPtr asked;
    list.onNeedsTrust = [&](const HostItemPtr &item) { asked = item; };
    list.connect(list.items().front());
    ASSERT_TRUE(waitUntil([&] { return asked != nullptr; }, 30000));
    EXPECT_EQ(asked, list.items().front());
    EXPECT_NE(asked->state, HostItem::State::connected);
}

// Connected only on the machine's word: a shell that runs nothing, or only complains, leaves
// the row failed with a reason and no folders.
TEST_F(RemoteHostListTest, AShellThatRunsNothingNeverConnects)
{
    const std::vector<std::pair<QString, QString>> shells {
        { server.silentShell(), "the machine's shell ran nothing (status 0, no answer)" },
        { server.complainingShell(), SshServerFixture::complaint() },
    };
    for (const auto &[shell, reason] : shells) {
        ASSERT_TRUE(server.setLoginShell(shell));
        list.setHosts({ host() });
        const HostItemPtr item = list.items().front();
        list.connect(item);
        ASSERT_TRUE(waitUntil([&] { return item->state != HostItem::State::connecting; }, 30000));
        EXPECT_EQ(item->state, HostItem::State::failed) << shell.toStdString();
        EXPECT_EQ(item->failure, reason);
        EXPECT_TRUE(item->roots.isEmpty());
        EXPECT_NE(item->alive, true);
        EXPECT_EQ(hostRowText(*item).detail, reason);
        item->client->disconnect();
        ASSERT_TRUE(waitUntil([&] { return server.connectionCount() == 0; }, 10000));
    }
}

// A link that stops answering is found by the keep-alives: the row stops saying connected, and
// a run waiting on it fails in plain words.
TEST_F(RemoteHostListTest, AMachineThatStopsAnsweringIsSeenAsNotConnected)
{
    list.setHosts({ host() });
    const HostItemPtr item = list.items().front();
    list.connect(item);
    ASSERT_TRUE(waitUntil([&] { return item->state != HostItem::State::connecting; }, 30000));
    ASSERT_EQ(item->state, HostItem::State::connected) << item->failure.toStdString();
    ASSERT_EQ(item->alive, true);

    server.freeze();
    QElapsedTimer clock;
    clock.start();
    Awaited<SSHResult> waiting;
    item->client->run("true", std::nullopt, 4096, waiting.callback());
    ASSERT_TRUE(waitUntil([&] { return item->alive == false; }, 60000));
    const qint64 noticed = clock.elapsed();
    EXPECT_EQ(hostRowText(*item).detail, "Not connected · reconnects when used");
    ASSERT_TRUE(waiting.wait(60000));
    const auto failure = classifyFailure(*waiting.value);
    ASSERT_TRUE(failure) << waiting.value->status << " " << waiting.value->stderr.toStdString();
    EXPECT_EQ(failure->text(), "The machine stopped answering");
    std::cout << "[ dead link ] seen after " << noticed << " ms, the waiting run ended after "
              << clock.elapsed() << " ms\n";
}

TEST_F(RemoteHostListTest, LivenessFollowsTheMasterConnectionAtMostOnceInFiveSeconds)
{
    list.setHosts({ host() });
    const HostItemPtr item = list.items().front();
    const QString id = hostID(item->host);
    int changes = 0;
    list.onItemChanged = [&](const HostItemPtr &) { ++changes; };

    list.checkLiveness(id, false);
    ASSERT_TRUE(waitUntil([&] { return item->alive.has_value(); }, 30000));
    EXPECT_FALSE(*item->alive); // checking never connects
    const QDateTime firstCheck = *item->lastChecked;
    list.checkLiveness(id, false);
    EXPECT_EQ(*item->lastChecked, firstCheck);

    // A successful run elsewhere says the machine answers.
    EXPECT_EQ(runOn(*item->client, "true").status, 0);
    list.markAnswered(id);
    EXPECT_EQ(list.isAlive(id), true);
    const int afterAnswer = changes;
    list.markAnswered(id);
    EXPECT_EQ(changes, afterAnswer);

    item->client->disconnect();
    ASSERT_TRUE(waitUntil([&] { return server.connectionCount() == 0; }, 10000));
    list.checkLiveness(id, true);
    EXPECT_TRUE(waitUntil([&] { return item->alive == false; }, 30000));
}

}
