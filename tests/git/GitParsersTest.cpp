#include "git/GitParsers.h"

#include "TestRepo.h"

#include <gtest/gtest.h>

namespace
{

const QString rs(QChar(0x1E));
const QString us(QChar(0x1F));

QDateTime at(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

QString text(const QString &name)
{
    return QString::fromUtf8(fixture(name));
}

TEST(GitParsers, CommitListsKeepSubjectsWholeAndSkipBadRecords)
{
    const auto commits = GitParsers::commits(text("log.txt"));
    ASSERT_EQ(commits.size(), 3);
    EXPECT_EQ(commits[1],
        (Commit { "b04d1cc145bed45325cebd361c11fe6b692b7941", QString::fromUtf8("Zoë Ŝmith"),
            "zoe@example.com", at(1700003600),
            QString::fromUtf8("Split\x1fsubject with a unit separator 😀") }));
    EXPECT_EQ(commits[0].subject, "Five thousand lines");
    EXPECT_EQ(commits[2].date, at(1700000000));
    EXPECT_TRUE(GitParsers::commits(u"").isEmpty());

    // One bad record between two good ones: only it is skipped.
    const QString good = rs + "aaa" + us + "A" + us + "a@x" + us + "1700000000" + us + "good\n";
    const struct {
        QString seconds;
        bool kept;
    } cases[] = {
        { " 1700000000", false },
        { "1700000000abc", false },
        { "", false },
        { "1e3", true },
        { "1700000000.5", true },
    };
    for (const auto &c : cases) {
        const QString bad = rs + "bbb" + us + "B" + us + "b@x" + us + c.seconds + us + "bad\n";
        const auto parsed = GitParsers::commits(good + bad + good);
        EXPECT_EQ(parsed.size(), c.kept ? 3 : 2) << c.seconds.toStdString();
    }
    EXPECT_EQ(
        GitParsers::commits(QString(rs + "aaa" + us + "A" + us + "a@x" + us + "12\n")).size(), 0);
    // A hash goes back to git later: anything but hex digits could read as an option there.
    for (const char *hash : { "", "--output=x", "a1z" }) {
        const QString bad = rs + hash + us + "B" + us + "b@x" + us + "1700000000" + us + "bad\n";
        EXPECT_EQ(GitParsers::commits(good + bad + good).size(), 2) << hash;
        EXPECT_TRUE(GitParsers::revisions(QString(rs + hash + us + "10" + us + "s\nf\n")).isEmpty());
    }
    EXPECT_EQ(GitParsers::commits(QString(rs + "a" + us + "A" + us + "e" + us + "1.5" + us + "s"))
                  .front()
                  .date.toMSecsSinceEpoch(),
        1500);
}

TEST(GitParsers, ChangedFilesWithRenamesAndBinaries)
{
    EXPECT_EQ(GitParsers::changedFiles(text("numstat-z.bin")),
        (QList<ChangedFile> { { "logo.png", std::nullopt, std::nullopt, std::nullopt },
            { "new/name.c", "old/name.c", 0, 0 }, { "notes.txt", std::nullopt, 2, 1 },
            { "src/a.c", std::nullopt, 3, 1 } }));

    const QChar nul(0);
    // git's line break before the first record, and a rename cut short at the end.
    EXPECT_EQ(GitParsers::changedFiles(QString("\n3\t1\tsrc/a.c") + nul + "-\t-\tlogo.png" + nul
                  + "0\t0\t" + nul + "old/name.c" + nul),
        (QList<ChangedFile> { { "src/a.c", std::nullopt, 3, 1 },
            { "logo.png", std::nullopt, std::nullopt, std::nullopt } }));
    EXPECT_EQ(GitParsers::changedFiles(QString("no tabs") + nul + "1\ttwo tabs missing" + nul),
        QList<ChangedFile>());
}

TEST(GitParsers, FileDiffKinds)
{
    const auto diff = GitParsers::fileDiff(text("diff-no-newline.txt"));
    EXPECT_EQ(diff.notShown, 0);
    EXPECT_EQ(diff.lines,
        (QList<DiffLine> { { DiffLineKind::hunk, "@@ -1,5 +1,6 @@" },
            { DiffLineKind::context, " first" }, { DiffLineKind::context, " second" },
            { DiffLineKind::removed, "-third" }, { DiffLineKind::added, "+THIRD" },
            { DiffLineKind::context, " fourth" }, { DiffLineKind::context, " fifth" },
            { DiffLineKind::added, "+sixth" },
            { DiffLineKind::note, "\\ No newline at end of file" } }));

    // A rename keeps its own header lines; git's file and index lines go.
    EXPECT_EQ(GitParsers::fileDiff(text("diff-rename.txt")).lines,
        (QList<DiffLine> { { DiffLineKind::header, "rename from old/name.c" },
            { DiffLineKind::header, "rename to new/name.c" } }));

    // Inside the hunks an empty line is context, and "--- " is a removed line, not a header.
    EXPECT_EQ(GitParsers::fileDiff(u"diff --git a/x b/x\n@@ -1 +1 @@\n\n--- x\n").lines,
        (QList<DiffLine> { { DiffLineKind::hunk, "@@ -1 +1 @@" }, { DiffLineKind::context, "" },
            { DiffLineKind::removed, "--- x" } }));
    EXPECT_TRUE(GitParsers::fileDiff(u"").lines.isEmpty());
}

TEST(GitParsers, LongDiffsKeepThreeThousandLinesHeadersIncluded)
{
    const auto diff = GitParsers::fileDiff(text("diff-5000.txt"));
    ASSERT_EQ(diff.lines.size(), 3000);
    // new file mode, the hunk line and 5000 added lines.
    EXPECT_EQ(diff.notShown, 5002 - 3000);
    EXPECT_EQ(diff.lines[0], (DiffLine { DiffLineKind::header, "new file mode 100644" }));
    EXPECT_EQ(diff.lines[1].kind, DiffLineKind::hunk);
    EXPECT_EQ(diff.lines.back(), (DiffLine { DiffLineKind::added, "+added line 2998" }));
}

TEST(GitParsers, RevisionsCarryThePathOfTheirCommit)
{
    const auto revisions = GitParsers::revisions(text("revisions.txt"));
    ASSERT_EQ(revisions.size(), 3);
    EXPECT_EQ(revisions[0].path, "new/name.c");
    EXPECT_EQ(revisions[1],
        (Revision { "b04d1cc145bed45325cebd361c11fe6b692b7941", at(1700003600),
            QString::fromUtf8("Split\x1fsubject with a unit separator 😀"), "new/name.c" }));
    EXPECT_EQ(revisions[2].path, "old/name.c");
    EXPECT_EQ(revisions[2].subject, "First commit");

    // A record without a name keeps an empty path; one with a bad time is skipped.
    const auto sparse = GitParsers::revisions(QString(
        rs + "aaa" + us + "10" + us + "no name\n" + rs + "bbb" + us + "x" + us + "bad\n\nf\n"));
    ASSERT_EQ(sparse.size(), 1);
    EXPECT_EQ(sparse[0].path, "");
}

TEST(GitParsers, LastCommitSummaries)
{
    const auto commit = GitParsers::lastCommit(
        QString("abc1234" + us + "1700000000" + us + "Split" + us + "subject\n"));
    ASSERT_TRUE(commit.has_value());
    EXPECT_EQ(*commit, (LastCommit { "abc1234", at(1700000000), "Split subject" }));
    EXPECT_EQ(GitParsers::lastCommit(QString("abc1234" + us + "1700000000")), std::nullopt);
    EXPECT_EQ(GitParsers::lastCommit(QString("abc1234" + us + "soon" + us + "s")), std::nullopt);

    const QDateTime now = at(1700000000 + 3 * 3600);
    EXPECT_EQ(GitParsers::lastCommitSummary(*commit, false, now),
        QString::fromUtf8("Last commit: abc1234 · 3h · Split subject"));
    EXPECT_EQ(GitParsers::lastCommitSummary(*commit, true, now),
        QString::fromUtf8("Unsaved changes · Last commit: abc1234 · 3h · Split subject"));
}

}
