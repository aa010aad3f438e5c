#include "remote/RemoteListing.h"
#include "TestSupport.h"
#include "common/Defaults.h"
#include "remote/RemoteExpansion.h"
#include "remote/RemoteRows.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

struct ListingCase {
    QByteArray output;
    QString parent;
    QList<DirectoryEntry> entries;
};

TEST(RemoteListing, NamesBecomeSortedEntriesUnderTheirFolder)
{
    const std::vector<ListingCase> cases = {
        { QByteArray("a/\0b\0.git/\0.env\0", 16), "/srv",
            { { "/srv/a", true }, { "/srv/.env", false }, { "/srv/b", false } } },
        { QByteArray("etc/\0\0vm\nlinuz\0", 15), "/",
            { { "/etc", true }, { "/vm\nlinuz", false } } },
        { QByteArray("file10\0File2\0.DS_Store\0Z/\0b/\0", 29), "/home/me",
            { { "/home/me/b", true }, { "/home/me/Z", true }, { "/home/me/File2", false },
                { "/home/me/file10", false } } },
        { "", "/srv", {} },
    };
    for (const ListingCase &c : cases)
        EXPECT_EQ(parseListing(c.output, c.parent), c.entries) << c.output.toStdString();
}

// The listing script, run here by sh: every kind of name, folders marked, the end marker last;
// without the marker nothing counts as listed.
TEST(RemoteListing, TheScriptListsEveryNameAndOnlyAFinishedListingCounts)
{
    QTemporaryDir dir;
    for (const QString name : { "-n it's", "two\nlines", ".hidden", "..dots", "* star" })
        testsupport::writeFile(dir, name, "x");
    testsupport::writeFile(dir, "sub $x/inner", "x");
    QProcess sh;
    sh.start("/bin/sh", { "-c", listingCommand(dir.path()) });
    ASSERT_TRUE(sh.waitForFinished(20000));
    const SSHResult result { sh.exitCode(), sh.readAllStandardOutput(), {} };
    const auto entries = listedEntries(result, dir.path());
    ASSERT_TRUE(entries);
    QStringList names;
    for (const DirectoryEntry &entry : *entries)
        names << entry.path.mid(dir.path().size() + 1) + (entry.isDirectory ? "/" : "");
    names.sort();
    EXPECT_EQ(names,
        QStringList({ "* star", "-n it's", "..dots", ".hidden", "sub $x/", "two\nlines" }));

    EXPECT_EQ(listedEntries({ 0, QByteArray("a\0", 2), {} }, "/srv"), std::nullopt);
    EXPECT_EQ(listedEntries({ 0, {}, {} }, "/srv"), std::nullopt);
}

TEST(RemoteListing, FailuresSayWhy)
{
    const std::vector<std::pair<SSHResult, QString>> failures = {
        { { 255, {}, "@@@ REMOTE HOST IDENTIFICATION HAS CHANGED! @@@\n" },
            "The machine's key has changed. This could be an attack; nothing was sent." },
        { { 255, {}, "me@box: Permission denied (publickey).\n" },
            "me@box: Permission denied (publickey)." },
        { { 2, {}, "\nls: cannot open directory '/root': Permission denied\nmore\n" },
            "ls: cannot open directory '/root': Permission denied" },
        { { 1, {}, " \n" }, "Couldn't read this folder" },
        { { 0, {}, {} },
            "Couldn't read this folder: the machine's shell ran nothing (status 0, no answer)" },
    };
    for (const auto &[result, text] : failures)
        EXPECT_EQ(listingError(result), text) << result.stderr.toStdString();
}

HostItem hostIn(HostItem::State state, std::optional<bool> alive = std::nullopt)
{
    HostItem item;
    item.host = { "Web", "me@web", std::nullopt, { "~" } };
    item.state = state;
    item.alive = alive;
    return item;
}

TEST(RemoteRows, HostDetailFollowsTheConnection)
{
    using State = HostItem::State;
    HostItem failed = hostIn(State::failed);
    failed.failure = "ssh: connect to host web port 22: Connection refused";
    const std::vector<std::pair<HostItem, HostRowText>> cases = {
        { hostIn(State::idle), { "Web", "me@web", RowTone::secondary, {} } },
        { hostIn(State::connecting), { "Web", "Connecting…", RowTone::orange, {} } },
        { hostIn(State::connected), { "Web", "Connected · me@web", RowTone::green, {} } },
        { hostIn(State::connected, true), { "Web", "Connected · me@web", RowTone::green, {} } },
        { hostIn(State::connected, false),
            { "Web", "Not connected · reconnects when used", RowTone::secondary, {} } },
        { failed, { "Web", "Connection refused", RowTone::red, failed.failure } },
    };
    for (const auto &[item, want] : cases) {
        const HostRowText text = hostRowText(item);
        EXPECT_EQ(text.title, want.title);
        EXPECT_EQ(text.detail, want.detail);
        EXPECT_EQ(text.tone, want.tone) << want.detail.toStdString();
        EXPECT_EQ(text.toolTip, want.toolTip);
    }
}

struct MenuCase {
    QStringList folders;
    QList<ResolvedFolder> roots;
    RemoteNode node;
    bool addAsFolder;
    bool removeFolder;
};

RemoteNode nodeAt(QString path, bool isDirectory, QString folder = {},
    std::optional<QString> error = std::nullopt)
{
    RemoteNode node;
    node.path = path;
    node.isDirectory = isDirectory;
    node.folder = folder;
    node.error = error;
    return node;
}

TEST(RemoteRows, NodeMenuOffersWhatFitsTheRow)
{
    const QStringList two { "~", "~/code" };
    const QList<ResolvedFolder> twoRoots { { "/home/me", true }, { "/home/me/code", true } };
    const std::vector<MenuCase> cases = {
        // A host whose only folder is a root keeps it.
        { { "/" }, { { "/", true } }, nodeAt("/", true, "/"), false, false },
        { two, twoRoots, nodeAt("/home/me/code", true, "~/code"), false, true },
        { { "~", "/gone" }, { { "/home/me", true }, { "/gone", false } },
            nodeAt("/gone", true, "/gone", "No such folder"), false, true },
        { two, twoRoots, nodeAt("/home/me/src", true), true, false },
        // Listed again below another root, a folder of the host is still one of them.
        { two, twoRoots, nodeAt("/home/me/code", true), false, false },
        { { "~", "/srv" }, twoRoots, nodeAt("/srv", true), false, false },
        { two, twoRoots, nodeAt("/home/me/notes.txt", false), false, false },
        { two, twoRoots, nodeAt("/home/me/locked", true, {}, "Permission denied"), false, false },
    };
    for (const MenuCase &c : cases) {
        HostItem item = hostIn(HostItem::State::connected);
        item.host.folders = c.folders;
        item.roots = c.roots;
        EXPECT_EQ(offersAddAsFolder(item, c.node), c.addAsFolder) << c.node.path.toStdString();
        EXPECT_EQ(offersRemoveFolder(item, c.node), c.removeFolder) << c.node.path.toStdString();
    }
}

TEST(RemoteExpansion, OpenRowsSurviveInTheDefaults)
{
    testsupport::clearSettings();
    const QString machine = RemoteExpansion::machineRow;
    {
        RemoteExpansion expansion;
        expansion.setExpanded("me@web:22", machine, true);
        expansion.setExpanded("me@web:22", "/srv", true);
        expansion.setExpanded("me@web:22", "/srv/a", true);
        expansion.setExpanded("me@web:22", "/srv/a", false);
        expansion.setExpanded("me@old:22", "/x", true);
        expansion.setExpanded("me@gone:22", "/y", true);
    }
    RemoteExpansion read;
    EXPECT_EQ(read.paths("me@web:22"), (QSet<QString> { machine, "/srv" }));
    EXPECT_TRUE(read.isExpanded("me@old:22", "/x"));
    EXPECT_FALSE(read.knows("me@new:2200"));
    read.carry("me@old:22", "me@new:2200");
    read.forget("me@gone:22");

    // Stored as a dictionary of string lists, so that the next launch reads the same.
    const QVariantMap stored = Defaults::dictionary(Defaults::RemoteExpanded);
    EXPECT_EQ(stored.keys(), (QStringList { "me@new:2200", "me@web:22" }));
    EXPECT_EQ(stored.value("me@new:2200").toStringList(), QStringList { "/x" });
    RemoteExpansion again;
    EXPECT_FALSE(again.knows("me@old:22"));
    EXPECT_FALSE(again.knows("me@gone:22"));
    EXPECT_EQ(again.paths("me@web:22"), read.paths("me@web:22"));
}

}
