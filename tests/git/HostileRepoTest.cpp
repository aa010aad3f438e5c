#include "git/DocumentBlame.h"
#include "git/GitCommands.h"
#include "git/GitQueries.h"
#include "git/GitRun.h"
#include "git/GitStream.h"

#include "FakeSsh.h"
#include "TestRepo.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace
{

// A repository whose attributes send its text files through filters and text conversions that
// its own configuration defines as shell commands. Each command leaves a mark in a folder
// outside the repository when it runs. One driver has "=" and "/" in its name, which "-c"
// cannot name.
struct HostileRepo {
    TestRepo repo;
    QTemporaryDir marks;
    QString file;
    QString sha;

    HostileRepo()
    {
        repo.write(".gitattributes", "*.txt diff=evil filter=evil\n*.md diff=a=b/c filter=a=b/c\n");
        file = repo.write("notes.txt", "one\ntwo\n");
        repo.write("read.md", "# title\n");
        repo.commit("first", 1700000000);
        repo.write("notes.txt", "one\ntwo\nthree\n");
        sha = repo.commit("second", 1700086400);
        // Defined after committing, so committing itself ran nothing.
        for (const char *driver : { "evil", "a=b/c" })
            for (const char *key : { "filter.%1.clean", "filter.%1.smudge", "diff.%1.textconv",
                     "diff.%1.command" }) {
                const QString name = QString::fromLatin1(key).arg(QString::fromLatin1(driver));
                const QString mark = marks.filePath(QString(name).replace('/', '_'));
                repo.git({ "config", name, "touch '" + mark + "'; cat" });
            }
        repo.git({ "config", "filter.evil.required", "true" });
    }

    QStringList left() const { return QDir(marks.path()).entryList(QDir::Files); }
};

void blameToTheEnd(DocumentBlame &blame, const QString &text, bool edited)
{
    blame.start(text, edited);
    ASSERT_TRUE(waitUntil([&] { return !blame.isComputing(); }, 20000));
}

TEST(HostileRepo, PlainGitRunsItsCommands)
{
    // Without the guards the repository does run its programs: the marks below are what the
    // next tests must never see.
    HostileRepo hostile;
    hostile.repo.git({ "blame", "--incremental", "--contents", "-", "--", "notes.txt" }, "x\n");
    EXPECT_TRUE(hostile.left().contains("filter.evil.clean")) << hostile.left().join(' ').toStdString();
    EXPECT_TRUE(hostile.left().contains("diff.evil.textconv"));
}

TEST(HostileRepo, OpeningAFileRunsNoneOfItsPrograms)
{
    HostileRepo hostile;
    const GitSource root = GitSource::local(hostile.repo.path());

    DocumentBlame blame(hostile.file);
    blameToTheEnd(blame, "one\ntwo\nthree\n", false);
    EXPECT_FALSE(blame.hasFailed());
    blameToTheEnd(blame, "one\ntwo\nthree\nfour\n", true);
    EXPECT_FALSE(blame.hasFailed());
    DocumentBlame markdown(hostile.repo.filePath("read.md"));
    blameToTheEnd(markdown, "# title\n", true);

    EXPECT_TRUE(GitQueries::logPage(root, 10, 0).has_value());
    const auto files = GitQueries::changedFiles(root, hostile.sha);
    ASSERT_TRUE(files.has_value());
    ASSERT_FALSE(files->isEmpty());
    EXPECT_TRUE(GitQueries::fileDiff(root, hostile.sha, files->front()).has_value());
    const auto revisions = GitQueries::fileRevisions(hostile.file);
    ASSERT_EQ(revisions.size(), 2);
    EXPECT_EQ(GitQueries::fileAtRevision(hostile.file, revisions.back()), QString("one\ntwo\n"));
    EXPECT_TRUE(GitQueries::lastCommit(root, "read.md").has_value());

    EXPECT_EQ(hostile.left(), QStringList());
}

TEST(HostileRepo, RemoteRunsRunNoneOfItsPrograms)
{
    HostileRepo hostile;
    FakeSsh ssh;
    const auto client = FakeSsh::client();
    const GitSource root = GitSource::remote({ client, hostile.repo.path() });
    // A driver "-c" cannot name makes a remote run refuse instead of running unguarded.
    EXPECT_EQ(GitQueries::lastCommit(root, "read.md"), std::nullopt);
    EXPECT_EQ(hostile.left(), QStringList());
    hostile.repo.git({ "config", "--remove-section", "filter.a=b/c" });
    hostile.repo.git({ "config", "--remove-section", "diff.a=b/c" });

    DocumentBlame blame(hostile.repo.filePath("local-copy.txt"));
    blame.remoteTarget
        = [&] { return std::optional(DocumentBlame::RemoteTarget { client, hostile.file }); };
    blameToTheEnd(blame, "one\ntwo\nthree\n", true);
    EXPECT_FALSE(blame.hasFailed());

    const auto files = GitQueries::changedFiles(root, hostile.sha);
    ASSERT_TRUE(files.has_value());
    ASSERT_FALSE(files->isEmpty());
    EXPECT_TRUE(GitQueries::fileDiff(root, hostile.sha, files->front()).has_value());
    EXPECT_TRUE(GitQueries::lastCommit(root, "read.md").has_value());

    EXPECT_EQ(hostile.left(), QStringList());
}

TEST(HostileRepo, ProgramKeysAreRecognisedWhateverTheDriverIsCalled)
{
    for (const char *key : { "filter.evil.clean", "filter.a=b/c.smudge", "filter.x.y.process",
             "filter.x.required", "diff.evil.textconv", "diff.a b.command" })
        EXPECT_TRUE(isRepositoryProgramKey(QString::fromLatin1(key))) << key;
    for (const char *key : { "filter.clean", "diff.evil.funcname", "core.editor",
             "xfilter.a.clean", "diff.a.textconv.x" })
        EXPECT_FALSE(isRepositoryProgramKey(QString::fromLatin1(key))) << key;
}

}
