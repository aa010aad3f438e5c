#include "git/GitQueries.h"
#include "git/GitRun.h"

#include "FakeSsh.h"
#include "TestRepo.h"
#include "TestSupport.h"
#include "remote/RemoteScripts.h"
#include "remote/SSHArguments.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace
{

// A repository whose file was renamed: one.txt, then moved to two/renamed.txt and changed.
struct RenamedFile {
    TestRepo repo;
    QString first;
    QString second;
    QString third;

    RenamedFile()
    {
        repo.write("one.txt", "alpha\n");
        first = repo.commit("Add one", 1700000000);
        repo.git({ "mv", "one.txt", "one-moved.txt" });
        repo.write("one-moved.txt", "alpha\nbeta\n");
        second = repo.commit("Grow it", 1700000100, "Zoë");
        QDir(repo.path()).mkpath("two");
        repo.git({ "mv", "one-moved.txt", "two/renamed.txt" });
        repo.write("two/renamed.txt", "alpha\nbeta\ngamma\n");
        third = repo.commit("Move it", 1700000200);
    }
};

TEST(GitQueries, LogPagesCommitsAndBranches)
{
    RenamedFile history;
    const auto root = GitSource::local(history.repo.path());
    const auto page = GitQueries::logPage(root, 2, 0);
    ASSERT_TRUE(page.has_value());
    ASSERT_EQ(page->size(), 2);
    EXPECT_EQ(page->at(0).sha, history.third);
    EXPECT_EQ(page->at(1).author, QString::fromUtf8("Zoë"));
    EXPECT_EQ(page->at(1).email, "zo\u00eb@example.com");
    const auto rest = GitQueries::logPage(root, 2, 2);
    ASSERT_EQ(rest->size(), 1);
    EXPECT_EQ(rest->front().subject, "Add one");
    EXPECT_EQ(GitQueries::logPage(root, 2, 3), QList<Commit>());

    EXPECT_EQ(GitQueries::commit(root, history.first), rest->front());
    EXPECT_EQ(GitQueries::commit(root, "0123456789abcdef0123456789abcdef01234567"), std::nullopt);
    EXPECT_EQ(GitQueries::fullMessage(root, history.second), "Grow it");

    EXPECT_EQ(GitQueries::currentBranch(root), "main");
    history.repo.git({ "checkout", "-q", "--detach", history.second });
    EXPECT_EQ(GitQueries::currentBranch(root), "HEAD");
}

TEST(GitQueries, ChangedFilesAndTheirDiffs)
{
    RenamedFile history;
    const auto root = GitSource::local(history.repo.path());
    const auto files = GitQueries::changedFiles(root, history.third);
    ASSERT_TRUE(files.has_value());
    ASSERT_EQ(files->size(), 1);
    EXPECT_EQ(files->front(), (ChangedFile { "two/renamed.txt", "one-moved.txt", 1, 0 }));
    const auto diff = GitQueries::fileDiff(root, history.third, files->front());
    ASSERT_TRUE(diff.has_value());
    EXPECT_EQ(
        diff->lines.front(), (DiffLine { DiffLineKind::header, "rename from one-moved.txt" }));
    EXPECT_EQ(diff->lines.back(), (DiffLine { DiffLineKind::added, "+gamma" }));
}

TEST(GitQueries, FileHistoryFollowsRenames)
{
    RenamedFile history;
    const QString file = history.repo.filePath("two/renamed.txt");
    const auto revisions = GitQueries::fileRevisions(file);
    ASSERT_EQ(revisions.size(), 3);
    EXPECT_EQ(revisions[0].path, "two/renamed.txt");
    EXPECT_EQ(revisions[1].path, "one-moved.txt");
    EXPECT_EQ(revisions[2].path, "one.txt");
    EXPECT_EQ(revisions[2].sha, history.first);
    EXPECT_EQ(GitQueries::fileAtRevision(file, revisions[1]), "alpha\nbeta\n");
    EXPECT_EQ(GitQueries::fileAtRevision(file, revisions[2]), "alpha\n");
    EXPECT_EQ(GitQueries::fileRevisions(file, 1).size(), 1);

    // Never committed, outside any repository: no history.
    history.repo.write("fresh.txt", "new\n");
    EXPECT_TRUE(GitQueries::fileRevisions(history.repo.filePath("fresh.txt")).isEmpty());
    QTemporaryDir outside;
    EXPECT_TRUE(
        GitQueries::fileRevisions(testsupport::writeFile(outside, "a.txt", "a\n")).isEmpty());
}

TEST(GitQueries, FileAtRevisionRefusesEmptyPathsAndBytesThatAreNotUtf8)
{
    TestRepo repo;
    repo.write("latin1.txt", "caf\xe9\n");
    const QString sha = repo.commit("Latin-1", 1700000000);
    const QString file = repo.filePath("latin1.txt");
    EXPECT_EQ(GitQueries::fileAtRevision(file, { sha, {}, "Latin-1", "latin1.txt" }), std::nullopt);

    // An empty path never reaches git: a stand-in git that leaves a mark shows it was not run.
    QTemporaryDir dir;
    const QString mark = dir.filePath("ran");
    const QString fake
        = testsupport::writeFile(dir, "git", "#!/bin/sh\ntouch '" + mark.toUtf8() + "'\n");
    QFile::setPermissions(fake, QFile::ReadOwner | QFile::ExeOwner);
    setGitProgramForTests(fake);
    EXPECT_EQ(GitQueries::fileAtRevision(file, { sha, {}, "Latin-1", "" }), std::nullopt);
    EXPECT_FALSE(QFileInfo::exists(mark));
    EXPECT_EQ(GitQueries::fileAtRevision(file, { sha, {}, "Latin-1", "latin1.txt" }), std::nullopt);
    EXPECT_TRUE(QFileInfo::exists(mark));
    setGitProgramForTests("/usr/bin/git");
}

TEST(GitQueries, LastCommitOfAFileLocallyAndRemotely)
{
    RenamedFile history;
    const QString folder = history.repo.filePath("two");
    const auto local = GitQueries::lastCommit(GitSource::local(folder), "renamed.txt");
    ASSERT_TRUE(local.has_value());
    EXPECT_EQ(local->shortSha, history.third.left(local->shortSha.size()));
    EXPECT_EQ(local->subject, "Move it");

    FakeSsh ssh;
    const auto remote
        = GitQueries::lastCommit(GitSource::remote({ FakeSsh::client(), folder }), "renamed.txt");
    EXPECT_EQ(remote, local);
    EXPECT_EQ(ssh.commandLines(),
        QStringList { shellNeutral(
            withEndMarker(remoteGitCommand(GitCommands::lastCommit("renamed.txt"), folder))) });

    QTemporaryDir outside;
    EXPECT_EQ(GitQueries::lastCommit(GitSource::local(outside.path()), "x"), std::nullopt);
    EXPECT_EQ(GitQueries::logPage(GitSource::local(outside.path()), 200, 0), std::nullopt);
}

}
