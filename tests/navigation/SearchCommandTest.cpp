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

// The argument lists are checked where they run: SearchRunTest drives the local grep, and here
// a local sh stands in for the remote shell running the remote line: real sh, git and grep.
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
