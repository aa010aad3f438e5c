#include "ServerTest.h"

#include "git/DocumentBlame.h"
#include "git/GitSource.h"
#include "navigation/RemoteIndex.h"
#include "navigation/SearchCommand.h"
#include "navigation/SearchRun.h"
#include "remote/RemoteFiles.h"
#include "remote/RemoteListing.h"
#include "remote/RemoteScripts.h"
#include "remote/SSHArguments.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <iostream>

#include <random>

#include <pwd.h>
#include <sys/stat.h>

using testsupport::readFile;
using testsupport::waitUntil;

namespace
{

// Names that some shell or other would read differently when they are not quoted for it.
const QString hostileFolder = QStringLiteral("w it's \"q\" $x !y \\z");
const QString hostileName = QStringLiteral("-n it's \"q\" $HOME !x a\\b.txt");
const QString lineFeedName = QStringLiteral("two\nlines.txt");

ino_t inodeOf(const QString &path)
{
    struct stat info {
    };
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_ino;
}

class RemoteRunTest : public ServerTest
{
protected:
    std::optional<QList<DirectoryEntry>> list(SSHClient &ssh, const QString &folder)
    {
        return listedEntries(runOn(ssh, listingCommand(folder)), folder);
    }

    std::optional<QStringList> index(SSHClient &ssh, const QString &root)
    {
        const auto output = confirmedOutput(runOn(ssh, remoteIndexScript(remoteQuote(root))));
        if (!output)
            return std::nullopt;
        QStringList names;
        for (const IndexedFile &file : parseRemoteFileList(*output, root, fileIndexLimit).files)
            names << file.path;
        names.sort();
        return names;
    }

    // The hits of a search in files over ssh, and how the run ended.
    std::pair<QList<SearchHit>, SearchRun::Ending> search(
        SSHClient &ssh, const QString &root, const QString &text)
    {
        const SearchQuery query { text, false, false };
        SearchRun run(server.sshProgram(),
            ssh.arguments(SearchCommand::remoteCommandLine(remoteQuote(root), query)), QString());
        run.requireEndLine();
        QList<SearchHit> hits;
        std::optional<SearchRun::Ending> ending;
        run.onHits = [&](const QList<SearchHit> &more) { hits += more; };
        run.onFinish = [&](SearchRun::Ending end) { ending = end; };
        run.start();
        EXPECT_TRUE(waitUntil([&] { return ending.has_value(); }, 60000));
        return { hits, ending.value_or(SearchRun::Ending::Failed) };
    }
};

// The blame of a remote file as an open document streams it over ssh.
struct RemoteBlame {
    RemoteBlame(const std::shared_ptr<SSHClient> &ssh, const QString &path, qsizetype lines)
    {
        blame.remoteTarget = [ssh, path] { return DocumentBlame::RemoteTarget { ssh, path }; };
        blame.onMachineFailure = [this](const QString &message) { failure = message; };
        blame.start(lines, std::nullopt);
        EXPECT_TRUE(waitUntil([&] { return !blame.isComputing(); }, 60000));
    }

    DocumentBlame blame { QStringLiteral("/nonexistent/local-copy.txt") };
    std::optional<QString> failure; // the machine's message, when the run failed for want of it
};

class LoginShellTest : public RemoteRunTest, public ::testing::WithParamInterface<std::string>
{
protected:
    QString shell() const { return QString::fromStdString(GetParam()); }
};

// Every operation the editor runs on a machine, under each login shell, with names that
// quote differently in every one of them.
TEST_P(LoginShellTest, EveryOperationWorksWithHostileNames)
{
    if (!QFileInfo(shell()).isExecutable())
        GTEST_SKIP() << GetParam() << " is not installed";
    ASSERT_TRUE(server.setLoginShell(shell()));
    const auto ssh = client();
    const QString folder = server.path(hostileFolder);
    const QString file = server.writeFile(hostileFolder + '/' + hostileName, "one needle\n");
    const QString other = server.writeFile(hostileFolder + '/' + lineFeedName, "two\n");
    const QString inPlace = server.writeFile(hostileFolder + "/closed/in place.txt", "three\n");

    // Open and save, beside the file and (in a folder it may not write) in place.
    for (const QString &path : { file, other }) {
        const RemoteRead opened = readOn(*ssh, path);
        ASSERT_TRUE(opened.opened) << opened.message.toStdString();
        EXPECT_EQ(readFile(opened.localCopy), readFile(path));
        const SaveOutcome saved = saveOn(*ssh, path, "edited\n" + readFile(path), opened.modified);
        ASSERT_EQ(saved.status, SaveStatus::saved) << saved.message.toStdString();
        EXPECT_TRUE(readFile(path).startsWith("edited\n"));
    }
    QFile::setPermissions(QFileInfo(inPlace).absolutePath(), QFile::ReadOwner | QFile::ExeOwner);
    const ino_t inode = inodeOf(inPlace);
    const RemoteRead closed = readOn(*ssh, inPlace);
    ASSERT_TRUE(closed.opened) << closed.message.toStdString();
    const SaveOutcome inPlaceSave = saveOn(*ssh, inPlace, "four\n", closed.modified);
    ASSERT_EQ(inPlaceSave.status, SaveStatus::saved) << inPlaceSave.message.toStdString();
    EXPECT_EQ(readFile(inPlace), "four\n");
    EXPECT_EQ(inodeOf(inPlace), inode);

    const auto entries = list(*ssh, folder);
    ASSERT_TRUE(entries);
    QSet<QString> listed;
    for (const DirectoryEntry &entry : *entries)
        listed << entry.path + (entry.isDirectory ? "/" : "");
    EXPECT_EQ(listed, (QSet<QString> { folder + "/closed/", file, other }));

    const QStringList expected { hostileName, "closed/in place.txt", lineFeedName };
    EXPECT_EQ(index(*ssh, folder), expected);
    const auto [hits, ending] = search(*ssh, folder, "NEEDLE");
    EXPECT_EQ(ending, SearchRun::Ending::Complete);
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits[0].path, hostileName);

    // The same folder as a git work tree: git's list, and blame of a committed file.
    const SSHResult made = runOn(*ssh,
        "cd -- " + remoteQuote(folder)
            + " && git init -q && git add -A && git -c user.name='Ada Lovelace' "
              "-c user.email=ada@example.org commit -q -m first");
    ASSERT_EQ(made.status, 0) << made.stderr.toStdString();
    EXPECT_EQ(index(*ssh, folder), expected);
    const auto blame = GitSource::remote(RemoteRepo { ssh, folder })
                           .run({ "blame", "--porcelain", "--", hostileName });
    ASSERT_TRUE(blame);
    EXPECT_TRUE(blame->contains("author Ada Lovelace\n")) << blame->constData();
    // The streamed blame an open document runs, its end line taken off.
    const RemoteBlame streamed(ssh, file, 2);
    EXPECT_FALSE(streamed.blame.hasFailed()) << streamed.failure.value_or("").toStdString();
    EXPECT_EQ(streamed.blame.lookup(2).info.author, "Ada Lovelace");
    EXPECT_EQ(streamed.blame.lookup(3).kind, BlameLookup::Kind::unknown);
}

INSTANTIATE_TEST_SUITE_P(Shells, LoginShellTest,
    ::testing::Values("/bin/dash", "/bin/bash", "/usr/bin/fish", "/bin/tcsh", "/bin/zsh",
        "/bin/ksh"),
    [](const ::testing::TestParamInfo<std::string> &info) {
        return info.param.substr(info.param.rfind('/') + 1);
    });

// A login shell that runs nothing and says status 0: nothing may pass for success.
TEST_F(RemoteRunTest, AShellThatRunsNothingFailsEveryOperation)
{
    const QString file = server.writeFile("proj/kept.txt", "kept\n");
    ASSERT_TRUE(server.setLoginShell(server.silentShell()));
    const auto ssh = client();
    const RemoteRead opened = readOn(*ssh, file);
    EXPECT_FALSE(opened.opened);
    EXPECT_EQ(opened.message,
        "Couldn't read kept.txt: the machine's shell ran nothing (status 0, no answer)");
    const SaveOutcome saved = saveOn(*ssh, file, "lost\n", std::nullopt);
    EXPECT_EQ(saved.status, SaveStatus::failed);
    EXPECT_EQ(saved.message, "Couldn't save: the machine's shell ran nothing (status 0, no answer)");
    EXPECT_EQ(readFile(file), "kept\n");
    EXPECT_EQ(list(*ssh, server.path("proj")), std::nullopt);
    EXPECT_EQ(index(*ssh, server.path("proj")), std::nullopt);
    EXPECT_EQ(search(*ssh, server.path("proj"), "kept").second, SearchRun::Ending::Failed);
    EXPECT_EQ(GitSource::remote(RemoteRepo { ssh, server.path("proj") })
                  .run({ "log", "--oneline" }),
        std::nullopt);
    const RemoteBlame blame(ssh, file, 1);
    EXPECT_TRUE(blame.blame.hasFailed());
    EXPECT_EQ(blame.failure, "the machine's shell ran nothing (status 0, no answer)");
}

// A shell that only complains and says status 0: its words are the reason shown.
TEST_F(RemoteRunTest, AShellThatOnlyComplainsFailsWithItsWords)
{
    const QString file = server.writeFile("proj/kept.txt", "kept\n");
    ASSERT_TRUE(server.setLoginShell(server.complainingShell()));
    const auto ssh = client();
    const RemoteBlame blame(ssh, file, 1);
    EXPECT_TRUE(blame.blame.hasFailed());
    EXPECT_EQ(blame.failure, SshServerFixture::complaint());
    EXPECT_EQ(readOn(*ssh, file).message, "Couldn't read kept.txt: " + SshServerFixture::complaint());
}

// Under bash: what is not a readable regular file is refused with a plain reason, at once.
TEST_F(RemoteRunTest, WhatIsNotAReadableFileIsRefusedWithItsReason)
{
    ASSERT_TRUE(server.setLoginShell("/bin/bash"));
    const QString unreadable = server.writeFile("secret.txt", "x\n");
    QFile::setPermissions(unreadable, {});
    const QString fifo = server.path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    server.giveToUser(fifo);
    const auto ssh = client();
    const std::vector<std::pair<QString, QString>> cases {
        { unreadable, "Couldn't read secret.txt: Permission denied" },
        { server.home(), "Couldn't read home: This is a folder, not a file" },
        { fifo, "Couldn't read pipe: This is not a regular file (a pipe, a device or a socket)" },
        { "/dev/zero",
            "Couldn't read zero: This is not a regular file (a pipe, a device or a socket)" },
    };
    for (const auto &[path, message] : cases) {
        const RemoteRead opened = readOn(*ssh, path);
        EXPECT_FALSE(opened.opened) << path.toStdString();
        EXPECT_EQ(opened.message, message);
    }
    // A folder it may enter but not read is an error, not an empty folder.
    QDir().mkpath(server.path("hidden"));
    server.giveToUser(server.path("hidden"));
    QFile::setPermissions(server.path("hidden"), QFile::ExeOwner | QFile::WriteOwner);
    const SSHResult denied = runOn(*ssh, listingCommand(server.path("hidden")));
    EXPECT_EQ(listedEntries(denied, server.path("hidden")), std::nullopt);
    EXPECT_EQ(listingError(denied), "Permission denied");
}

// How far the upload of a save has got: the size of its temporary file, beside the file or
// (saving in place) in the temporary folder, once the account has made one.
std::optional<qint64> uploaded(const QString &path, uid_t owner)
{
    const QFileInfo beside(path + ".quillmar-tmp");
    if (beside.exists())
        return beside.size();
    for (const QFileInfo &file :
        QDir(QStringLiteral("/tmp")).entryInfoList({ "quillmar.*" }, QDir::Files | QDir::Hidden)) {
        struct stat info {
        };
        if (::stat(QFile::encodeName(file.filePath()).constData(), &info) == 0
            && info.st_uid == owner)
            return file.size();
    }
    return std::nullopt;
}

// A connection cut at a random moment of a save, once its upload has begun, leaves the old
// bytes or the new ones, never a mix, on both ways a save puts bytes in place.
TEST_F(RemoteRunTest, ACutConnectionNeverLeavesAPartialFile)
{
    const QString beside = server.writeFile("open/data.bin", QByteArray(3'000'000, 'a'));
    const QString inPlace = server.writeFile("shut/data.bin", QByteArray(3'000'000, 'a'));
    QFile::setPermissions(QFileInfo(inPlace).absolutePath(), QFile::ReadOwner | QFile::ExeOwner);
    const passwd *account = ::getpwnam(server.user().toLocal8Bit().constData());
    ASSERT_TRUE(account);
    const uid_t owner = account->pw_uid;
    const unsigned seed = 20261207;
    std::mt19937 random(seed);
    int completed = 0;
    int cut = 0;
    int midUpload = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        const QString path = attempt % 2 ? inPlace : beside;
        const QByteArray before = readFile(path);
        // Each save writes a size and a fill of its own, so a mix of two shows.
        const QByteArray after(2'000'000 + attempt * 100'000, char('b' + attempt));
        const auto ssh = client();
        std::optional<SaveOutcome> outcome;
        saveRemote(*ssh, path, after, std::nullopt, {},
            [&](const SaveOutcome &result) { outcome = result; });
        waitUntil([&] { return outcome || uploaded(path, owner); }, 30000);
        QThread::msleep(std::uniform_int_distribution<int>(0, 1200)(random));
        const auto soFar = uploaded(path, owner);
        midUpload += soFar && *soFar < after.size();
        server.cutConnections();
        ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); }, 60000));
        ASSERT_TRUE(waitUntil([&] { return server.accountIsIdle(); }, 60000));
        const QByteArray now = readFile(path);
        EXPECT_TRUE(now == before || now == after)
            << "attempt " << attempt << " (seed " << seed << "): " << now.size() << " bytes";
        if (outcome->status == SaveStatus::saved) {
            EXPECT_EQ(now, after) << "attempt " << attempt;
            ++completed;
        } else {
            ++cut;
        }
        const QStringList litter = QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files);
        EXPECT_EQ(litter, QStringList { "data.bin" }) << "attempt " << attempt;
        EXPECT_EQ(uploaded(path, owner), std::nullopt) << "attempt " << attempt;
    }
    std::cout << "[ saves ] " << completed << " completed, " << cut << " cut off, " << midUpload
              << " of the cuts during the upload\n";
}

}
