#include "remote/RemoteFileOutcomes.h"

#include <gtest/gtest.h>

#include <tuple>

namespace
{

struct ReadCase {
    SSHResult result;
    QString message; // empty: the file opens
};

TEST(RemoteFileOutcomes, ReadOutcomeTable)
{
    const QByteArray largest(67'108'864, 'x');
    const std::vector<ReadCase> cases = {
        { { 0, "1700000000\n" + largest, {} }, {} },
        { { 0, "1700000000\n" + largest + "x", {} },
            "big.log is too large to open here (limit 64 MB)" },
        { { -2, "", {} }, "big.log is too large to open here (limit 64 MB)" },
        { { 255, {}, "Host key verification failed.\n" },
            "Couldn't read big.log: This machine hasn't been seen before" },
        { { 255, {}, "me@box: Permission denied (publickey).\n" },
            "Couldn't read big.log: me@box: Permission denied (publickey)." },
        { { 1, {}, "\n  cat: big.log: No such file or directory\nhead: x\n" },
            "Couldn't read big.log: cat: big.log: No such file or directory" },
        { { 1, {}, {} }, "Couldn't read big.log: status 1" },
    };
    for (const ReadCase &c : cases) {
        const ReadOutcome outcome = readOutcome(c.result, QStringLiteral("big.log"));
        EXPECT_EQ(outcome.opened, c.message.isEmpty()) << c.message.toStdString();
        EXPECT_EQ(outcome.message, c.message);
    }
    const ReadOutcome opened = readOutcome({ 0, "12\nabc", {} }, "f");
    EXPECT_EQ(opened.modified, 12);
    EXPECT_EQ(opened.content, "abc");
}

struct SaveCase {
    SSHResult result;
    SaveStatus status;
    std::optional<double> modified;
    QString message;
};

TEST(RemoteFileOutcomes, SaveOutcomeTable)
{
    const std::vector<SaveCase> cases = {
        { { 0, "1700000002\n", {} }, SaveStatus::saved, 1700000002, "Saved to me@box" },
        { { 0, "", {} }, SaveStatus::saved, std::nullopt, "Saved to me@box" },
        { { 3, "", {} }, SaveStatus::conflict, std::nullopt, {} },
        { { 4, "", "No permission to write this file\n" }, SaveStatus::failed, std::nullopt,
            "No permission to write app.conf as me@box. The tab stays unsaved." },
        { { 1, "", "mv: cannot move\n" }, SaveStatus::failed, std::nullopt,
            "Couldn't save: mv: cannot move" },
        { { 1, "", "" }, SaveStatus::failed, std::nullopt, "Couldn't save: status 1" },
        { { 255, "", "ssh: connect to host box port 22: Connection refused\n" }, SaveStatus::failed,
            std::nullopt, "Couldn't save: ssh: connect to host box port 22: Connection refused" },
        { { 255, "", "WARNING: REMOTE HOST IDENTIFICATION HAS CHANGED!" }, SaveStatus::failed,
            std::nullopt,
            "Couldn't save: The machine's key has changed. This could be an attack; nothing was "
            "sent." },
        // A key not seen yet is trusted from the pane: the note says so.
        { { 255, "", "Host key verification failed.\n" }, SaveStatus::failed, std::nullopt,
            "Couldn't save: This machine hasn't been seen before. Click the machine in the Remote "
            "pane to trust its key" },
    };
    for (const SaveCase &c : cases) {
        const SaveOutcome outcome
            = saveOutcome(c.result, QStringLiteral("app.conf"), QStringLiteral("me@box"));
        EXPECT_EQ(outcome.status, c.status) << c.message.toStdString();
        EXPECT_EQ(outcome.modified, c.modified) << c.message.toStdString();
        EXPECT_EQ(outcome.message, c.message);
    }
}

TEST(RemoteFileOutcomes, NameAndFolderOfARemotePath)
{
    const std::vector<std::tuple<QString, QString, QString>> cases = {
        { "/srv/www/index.html", "index.html", "/srv/www" },
        { "/hosts", "hosts", "/" },
        { "~/notes.txt", "notes.txt", "~" },
        { "notes.txt", "notes.txt", "~" },
    };
    for (const auto &[path, name, folder] : cases) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(remoteFileName(path), name);
        EXPECT_EQ(remoteFolderOf(path), folder);
    }
}

TEST(RemoteFileOutcomes, TheIndicatorShowsTheShortHostLabel)
{
    EXPECT_EQ(remoteIndicatorText("me@build-server.example.com", true),
        QStringLiteral("build-server.ex… — connected"));
    EXPECT_EQ(remoteIndicatorText("box", false),
        QStringLiteral("box — not connected. Click to connect; saving does it too."));
}

}
