#include "git/GitRun.h"
#include "git/GitSource.h"

#include "FakeSsh.h"
#include "TestRepo.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>

using testsupport::waitUntil;

namespace
{

// Points git at another program for one test, and back at the real one afterwards.
struct GitProgramSwap {
    explicit GitProgramSwap(const QString &program) { setGitProgramForTests(program); }
    ~GitProgramSwap() { setGitProgramForTests(QStringLiteral("/usr/bin/git")); }
};

QSet<QString> lines(const QByteArray &output)
{
    const auto list = QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return QSet<QString>(list.begin(), list.end());
}

TEST(GitRun, GitRunsWithItsOverridesAndOnlyItsOwnEnvironment)
{
    const auto process
        = gitProcess({ QStringLiteral("log"), QStringLiteral("-n") }, QStringLiteral("/srv"));
    EXPECT_EQ(process.program, QStringLiteral("/usr/bin/git"));
    EXPECT_EQ(process.arguments,
        QStringList(
            { "-c", "core.hooksPath=/dev/null", "-c", "core.fsmonitor=false", "log", "-n" }));
    EXPECT_EQ(process.workingFolder, QStringLiteral("/srv"));

    // What the child really sees: the seven variables, none of this test process's own.
    auto env = process;
    env.program = QStringLiteral("/usr/bin/env");
    env.arguments.clear();
    env.workingFolder.clear();
    const auto result = ChildProcess::run(env, {}, ChildProcess::Errors::discard);
    EXPECT_EQ(lines(result.output),
        QSet<QString>({ "PATH=/usr/bin:/bin:/usr/sbin:/sbin", "HOME=" + QDir::homePath(),
            "LANG=en_US.UTF-8", "GIT_TERMINAL_PROMPT=0", "GIT_OPTIONAL_LOCKS=0",
            "GIT_CONFIG_NOSYSTEM=1", "GIT_CONFIG_GLOBAL=/dev/null" }));
}

TEST(GitRun, AvailabilityRetriesAfterThreeSecondsAndStaysFound)
{
    QTemporaryDir dir;
    const QString fake = dir.filePath(QStringLiteral("git"));
    GitProgramSwap swap(fake);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(gitAvailable());
    // Installed now, but the failed check is remembered for 3 seconds.
    testsupport::writeFile(dir, QStringLiteral("git"), "#!/bin/sh\n");
    QFile::setPermissions(fake, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(gitAvailable());
    ASSERT_TRUE(waitUntil([] { return gitAvailable(); }, 6000));
    EXPECT_GE(clock.elapsed(), 2900);
    // Found stays found.
    QFile::remove(fake);
    EXPECT_TRUE(gitAvailable());
}

TEST(GitRun, RunsGitAndAnswersOnlySuccessfulOutput)
{
    TestRepo repo;
    // Input reaches git's standard input.
    EXPECT_EQ(runGit({ "hash-object", "--stdin" }, repo.path(), QByteArray("hello\n")),
        QByteArray("ce013625030ba8dba906f756967f9e9ca394464a\n"));
    EXPECT_EQ(
        runGit({ "rev-parse", "--verify", "--quiet", "no-such-ref" }, repo.path()), std::nullopt);
    GitProgramSwap missing(QStringLiteral("/nonexistent/git"));
    EXPECT_EQ(
        runGit({ "hash-object", "--stdin" }, repo.path(), QByteArray("hello\n")), std::nullopt);
}

TEST(GitRun, RepositoryRootsResolveLinksAndRefuseOtherFolders)
{
    TestRepo repo;
    repo.write(QStringLiteral("src/deep/file.c"), "int x;\n");
    QTemporaryDir elsewhere;
    const QString link = elsewhere.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(repo.path(), link));
    const QString real = QFileInfo(repo.path()).canonicalFilePath();
    EXPECT_EQ(repositoryRoot(link + QStringLiteral("/src/deep")), real);
    EXPECT_EQ(repositoryRootOfFile(link + QStringLiteral("/src/deep/file.c")), real);
    EXPECT_EQ(repositoryRoot(elsewhere.path()), std::nullopt);
    EXPECT_EQ(GitSource::local(elsewhere.path()).repositoryRoot(), std::nullopt);
    EXPECT_EQ(
        GitSource::local(link + QStringLiteral("/src")).repositoryRoot(), GitSource::local(real));
}

TEST(GitRun, RemoteCommandLinesQuoteForTheRemoteShell)
{
    // Between the cd and git: the loop that overrides the repository's program keys.
    const QString git = "GIT_OPTIONAL_LOCKS=0 GIT_TERMINAL_PROMPT=0 git --no-pager -c "
                        "core.hooksPath=/dev/null -c core.fsmonitor=false \"$@\" ";
    const struct {
        QStringList arguments;
        QString directory;
        QString cd;
        QString words;
    } cases[] = {
        { { "log", "-n" }, "/srv/app", "cd '/srv/app' && ", "'log' '-n'" },
        { { "blame", "--", "it's.txt" }, "~", "cd ~ && ", "'blame' '--' 'it'\\''s.txt'" },
        { { "status" }, "~/src/app", "cd ~/'src/app' && ", "'status'" },
        { { "a b;c", "" }, "/srv/it's", "cd '/srv/it'\\''s' && ", "'a b;c' ''" },
    };
    for (const auto &c : cases) {
        const QString line = remoteGitCommand(c.arguments, c.directory);
        EXPECT_TRUE(line.startsWith(c.cd + "keys=$(git config --list")) << line.toStdString();
        EXPECT_TRUE(line.endsWith(git + c.words)) << line.toStdString();
    }
}

TEST(GitRun, DisplayNames)
{
    const auto remote = [](const QString &destination, const QString &directory) {
        return GitSource::remote(RemoteRepo { FakeSsh::client(destination), directory })
            .displayName();
    };
    EXPECT_EQ(GitSource::local(QStringLiteral("/home/ada/project")).displayName(), "project");
    EXPECT_EQ(remote("deploy@build.example", "/srv/app/"), "build.example:app");
    EXPECT_EQ(remote("ada@a-rather-long-host-name", "~"),
        QString("a-rather-long-h") + QChar(0x2026) + ":~");
}

TEST(GitRun, RemoteRunsGoThroughTheClient)
{
    TestRepo repo;
    repo.write(QStringLiteral("it's here/file.txt"), "text\n");
    repo.commit(QStringLiteral("first"), 1700000000);
    FakeSsh ssh;
    const auto client = FakeSsh::client();
    const auto source = GitSource::remote(RemoteRepo { client, repo.filePath("it's here") });

    EXPECT_EQ(source.run({ "rev-parse", "--abbrev-ref", "HEAD" }), QByteArray("main\n"));
    EXPECT_EQ(ssh.commandLines(),
        QStringList { remoteGitCommand(
            { "rev-parse", "--abbrev-ref", "HEAD" }, repo.filePath("it's here")) });
    EXPECT_EQ(source.run({ "rev-parse", "--verify", "--quiet", "nothing" }), std::nullopt);

    const auto root = source.repositoryRoot();
    ASSERT_TRUE(root.has_value());
    ASSERT_NE(root->remoteRepo(), nullptr);
    EXPECT_EQ(root->remoteRepo()->client, client);
    EXPECT_EQ(root->remoteRepo()->directory, QFileInfo(repo.path()).canonicalFilePath());

    QTemporaryDir outside;
    EXPECT_EQ(
        GitSource::remote(RemoteRepo { client, outside.path() }).repositoryRoot(), std::nullopt);
}

TEST(GitRun, LocalWorkNeverOverlapsAndRemoteWorkDoes)
{
    TestRepo repo;
    const auto local = GitSource::local(repo.path());
    std::atomic<int> running = 0;
    std::atomic<int> most = 0;
    std::atomic<int> done = 0;
    for (int i = 0; i < 6; ++i)
        gitWork(local, [&] {
            most = std::max(most.load(), ++running);
            local.run({ "status", "--porcelain" });
            --running;
            ++done;
        });
    ASSERT_TRUE(waitUntil([&] { return done == 6; }));
    EXPECT_EQ(most, 1);

    // Two remote works that each wait for the other finish only when they run side by side.
    const auto remote = GitSource::remote(RemoteRepo { FakeSsh::client(), repo.path() });
    std::atomic<int> arrived = 0;
    std::atomic<int> met = 0;
    for (int i = 0; i < 2; ++i)
        gitWork(remote, [&] {
            ++arrived;
            QElapsedTimer waited;
            waited.start();
            while (arrived < 2 && waited.elapsed() < 5000)
                QThread::msleep(1);
            if (arrived == 2)
                ++met;
        });
    ASSERT_TRUE(waitUntil([&] { return met == 2; }, 6000));
}

}
