#include "navigation/SearchCommand.h"
#include "TestSupport.h"
#include "navigation/SearchRun.h"

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::waitUntil;
using testsupport::writeFile;

namespace
{

const QString excludes = QStringLiteral(
    "--exclude-dir='.build' --exclude-dir='.git' --exclude-dir='.gradle' --exclude-dir='.hg' "
    "--exclude-dir='.next' --exclude-dir='.svn' --exclude-dir='.venv' "
    "--exclude-dir='DerivedData' --exclude-dir='Pods' --exclude-dir='__pycache__' "
    "--exclude-dir='build' --exclude-dir='dist' --exclude-dir='node_modules' "
    "--exclude-dir='target' --exclude-dir='venv'");

TEST(SearchCommandTest, LocalGrepArgumentsInOrder)
{
    const QStringList expected { "-rnI", "--exclude-dir=.build", "--exclude-dir=.git",
        "--exclude-dir=.gradle", "--exclude-dir=.hg", "--exclude-dir=.next", "--exclude-dir=.svn",
        "--exclude-dir=.venv", "--exclude-dir=DerivedData", "--exclude-dir=Pods",
        "--exclude-dir=__pycache__", "--exclude-dir=build", "--exclude-dir=dist",
        "--exclude-dir=node_modules", "--exclude-dir=target", "--exclude-dir=venv", "-i", "-F",
        "-e", " it's ", "." };
    EXPECT_EQ(SearchCommand::localArguments({ " it's ", false, false }), expected);
    EXPECT_EQ(SearchCommand::grepProgram(), "/usr/bin/grep");
}

TEST(SearchCommandTest, OptionFlags)
{
    EXPECT_EQ(SearchCommand::optionFlags({ "x", false, false }), QStringList({ "-i", "-F" }));
    EXPECT_EQ(SearchCommand::optionFlags({ "x", true, false }), QStringList({ "-F" }));
    EXPECT_EQ(SearchCommand::optionFlags({ "x", false, true }), QStringList({ "-i", "-E" }));
    EXPECT_EQ(SearchCommand::optionFlags({ "x", true, true }), QStringList({ "-E" }));
}

TEST(SearchCommandTest, RemoteCommandLineExactly)
{
    const QString line = SearchCommand::remoteCommandLine("~/'my app'", { "it's", true, true });
    EXPECT_EQ(line,
        "cd ~/'my app' || exit 1; { if git rev-parse --is-inside-work-tree >/dev/null 2>&1; "
        "then git -c core.quotepath=false grep -n -I --no-color --untracked --exclude-standard "
        "-E -e 'it'\\''s'; else grep -rnI "
            + excludes + " -E -e 'it'\\''s' .; fi; } 2>/dev/null | head -n 2001");
}

// The remote command line run by a local sh stands in for the remote shell: real sh, git and grep.
QList<SearchHit> runRemoteLine(const QString &folder, const SearchQuery &query)
{
    const QString quoted = "'" + folder + "'";
    SearchRun run("/bin/sh", { "-c", SearchCommand::remoteCommandLine(quoted, query) }, QString());
    QList<SearchHit> hits;
    bool ended = false;
    run.onHits = [&](const QList<SearchHit> &more) { hits += more; };
    run.onFinish = [&](SearchRun::Ending) { ended = true; };
    run.start();
    EXPECT_TRUE(waitUntil([&] { return ended; }));
    return hits;
}

QSet<QString> paths(const QList<SearchHit> &hits)
{
    QSet<QString> out;
    for (const SearchHit &hit : hits)
        out.insert(hit.path + ":" + QString::number(hit.line) + ":" + hit.text);
    return out;
}

TEST(SearchCommandTest, RemoteLineFindsAQuotedQueryWithGrepAndWithGitGrep)
{
    QTemporaryDir dir;
    writeFile(dir, "notes.txt", "plain\nsay \"it's\" here\n");
    writeFile(dir, "sub/more.txt", "IT'S loud\n");
    writeFile(dir, "node_modules/dep.txt", "it's hidden\n");
    const SearchQuery query { "it's", false, false };
    const QSet<QString> expected { "notes.txt:2:say \"it's\" here", "sub/more.txt:1:IT'S loud" };

    // Outside a work tree: grep, with the excluded folders skipped.
    EXPECT_EQ(paths(runRemoteLine(dir.path(), query)), expected);

    // Inside one: git grep, which also sees untracked files but not ignored ones.
    QProcess git;
    git.setWorkingDirectory(dir.path());
    git.start("/usr/bin/git", { "init", "-q" });
    ASSERT_TRUE(git.waitForFinished());
    writeFile(dir, ".gitignore", "node_modules/\n");
    EXPECT_EQ(paths(runRemoteLine(dir.path(), query)), expected);
}

}
