#include "navigation/RemoteIndex.h"
#include "IndexedPaths.h"
#include "TestSupport.h"
#include "remote/RemoteScripts.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::writeFile;

namespace
{

// Runs a script the way the remote shell would, here; its standard output.
QByteArray runSh(const QString &script)
{
    QProcess sh;
    sh.start(QStringLiteral("/bin/sh"), { QStringLiteral("-c"), script });
    if (!sh.waitForFinished(20000) || sh.exitCode() != 0)
        return "failed: " + sh.readAllStandardError();
    return markedOutput(sh.exitCode(), sh.readAllStandardOutput()).value_or("no end marker");
}

QString quoted(const QTemporaryDir &dir)
{
    return u'\'' + dir.path() + u'\'';
}

bool git(const QTemporaryDir &dir, const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral("git"), arguments);
    return process.waitForFinished(20000) && process.exitCode() == 0;
}

void writeFiles(const QTemporaryDir &dir, const QStringList &relatives)
{
    for (const QString &relative : relatives)
        writeFile(dir, relative, "x");
}

}

TEST(RemoteIndex, ScriptOutsideGitPrunesHiddenAndHeavyNames)
{
    QTemporaryDir dir;
    writeFiles(dir,
        { "a.txt", "sub/b.txt", "it's/odd name.txt", "two\nlines", ".env", "node_modules/x.js", "sub/build/out.o",
            ".venv/lib.py", ".hg/store", ".DS_Store", "Build/kept" });

    const RemoteFileList list
        = parseRemoteFileList(runSh(remoteIndexScript(quoted(dir))), dir.path(), fileIndexLimit);
    EXPECT_EQ(paths(list.files),
        QStringList({ ".env", "Build/kept", "a.txt", "it's/odd name.txt", "sub/b.txt",
            "two\nlines" }));
    EXPECT_FALSE(list.truncated);
    EXPECT_EQ(list.files[3].url, dir.filePath("it's/odd name.txt"));
}

TEST(RemoteIndex, ScriptInsideGitListsWhatGitWouldTrack)
{
    QTemporaryDir dir;
    ASSERT_TRUE(git(dir, { "init", "-q" }));
    writeFile(dir, ".gitignore", "ignored.txt\n");
    writeFiles(
        dir, { "tracked.txt", "ignored.txt", "node_modules/x.js", "\u00fcber.txt", "a\nb.txt" });
    ASSERT_TRUE(git(dir, { "add", "tracked.txt" }));

    const RemoteFileList list
        = parseRemoteFileList(runSh(remoteIndexScript(quoted(dir))), dir.path(), fileIndexLimit);
    EXPECT_EQ(paths(list.files),
        QStringList(
            { ".gitignore", "a\nb.txt", "node_modules/x.js", "tracked.txt", "\u00fcber.txt" }));
}

TEST(RemoteIndex, ScriptCutsOneLineAfterTheLimit)
{
    QTemporaryDir dir;
    writeFiles(dir, { "1", "2", "3", "4", "5" });
    const RemoteFileList cut
        = parseRemoteFileList(runSh(remoteIndexScript(quoted(dir), 3)), dir.path(), 3);
    EXPECT_EQ(cut.files.size(), 3);
    EXPECT_TRUE(cut.truncated);
    const RemoteFileList whole
        = parseRemoteFileList(runSh(remoteIndexScript(quoted(dir), 5)), dir.path(), 5);
    EXPECT_EQ(whole.files.size(), 5);
    EXPECT_FALSE(whole.truncated);
}

TEST(RemoteIndex, ParsesCapturedOutput)
{
    const RemoteFileList list = parseRemoteFileList(
        "./src/main.c\n\n./\nREADME\n./docs/a b.md\n", QStringLiteral("/srv/app/"), 50, '\n');
    EXPECT_EQ(paths(list.files), QStringList({ "README", "docs/a b.md", "src/main.c" }));
    EXPECT_EQ(list.files[1].url, "/srv/app/docs/a b.md");
    EXPECT_EQ(list.files[0].lowerPath, "readme");
    EXPECT_EQ(list.files[1].lowerName, "a b.md");
    EXPECT_FALSE(list.truncated);
    EXPECT_EQ(
        parseRemoteFileList("etc/hosts\n", QStringLiteral("/"), 50, '\n').files[0].url, "/etc/hosts");
    EXPECT_TRUE(parseRemoteFileList("", QStringLiteral("/srv"), 50).files.isEmpty());
}

TEST(RemoteIndex, MoreThanFiftyThousandLinesIsTruncatedBeforeSorting)
{
    // Listed in descending order: the line cut off is the last one, not the greatest.
    QByteArray output;
    for (int i = 50'000; i >= 0; --i)
        output += QStringLiteral("f%1\n").arg(i, 5, 10, QLatin1Char('0')).toUtf8();
    const RemoteFileList over = parseRemoteFileList(output, QStringLiteral("/r"), fileIndexLimit, '\n');
    EXPECT_TRUE(over.truncated);
    ASSERT_EQ(over.files.size(), 50'000);
    EXPECT_EQ(over.files.first().path, "f00001");
    EXPECT_EQ(over.files.last().path, "f50000");

    output.chop(QByteArray("f00000\n").size());
    const RemoteFileList exact = parseRemoteFileList(output, QStringLiteral("/r"), fileIndexLimit, '\n');
    EXPECT_FALSE(exact.truncated);
    EXPECT_EQ(exact.files.size(), 50'000);
}

TEST(RemoteIndex, SearchPatterns)
{
    const std::pair<QString, QString> cases[] = {
        { "ab", "a.*b" },
        { " A\tb ", "a.*b" },
        { "   ", "" },
        { "(x", "\\(.*x" },
        { "\\.^$|?*+()[]{}",
            "\\\\.*\\..*\\^.*\\$.*\\|.*\\?.*\\*.*\\+.*\\(.*\\).*\\[.*\\].*\\{.*\\}" },
        { "it's-1", "i.*t.*'.*s.*-.*1" },
        { QString(70, u'a'), QStringList(64, QStringLiteral("a")).join(".*") },
    };
    for (const auto &[query, pattern] : cases)
        EXPECT_EQ(serverSearchPattern(query), pattern) << query.toStdString();
}

TEST(RemoteIndex, SearchCommandFindsTheQueryInOrderIgnoringCase)
{
    QTemporaryDir dir;
    writeFiles(dir,
        { "f(1).txt", "other.txt", "node_modules/f(2).txt", "Deep/FOO(x).md", "it's.txt",
            "fx.txt", "two\nlines.txt" });
    const auto search = [&dir](const QString &query) {
        const QByteArray output
            = runSh(serverSearchCommand(quoted(dir), serverSearchPattern(query)));
        return paths(parseRemoteFileList(output, dir.path(), serverSearchLimit).files);
    };
    EXPECT_EQ(search("f("), QStringList({ "Deep/FOO(x).md", "f(1).txt" }));
    EXPECT_EQ(search("T'S"), QStringList({ "it's.txt" }));
    // A name with a line feed is one name, found whole, never two halves.
    EXPECT_EQ(search("lines"), QStringList({ "two\nlines.txt" }));

    // Inside a work tree git lists the names, quoting none of them.
    ASSERT_TRUE(git(dir, { "init", "-q" }));
    EXPECT_EQ(search("lines"), QStringList({ "two\nlines.txt" }));
    EXPECT_EQ(search("ts"), QStringList({ "it's.txt", "two\nlines.txt" }));
}
