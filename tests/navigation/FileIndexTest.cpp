#include "navigation/FileIndex.h"
#include "IndexedPaths.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThreadPool>
#include <gtest/gtest.h>

using testsupport::makeFolder;
using testsupport::waitUntil;
using testsupport::writeFile;

namespace
{

// A folder in memory where the machine has one: fifty thousand files take seconds on some disks.
QString roomyTemplate()
{
    const QString memory = QStringLiteral("/dev/shm");
    const QString base = QFileInfo(memory).isWritable() ? memory : QDir::tempPath();
    return base + QStringLiteral("/quillmar-index-XXXXXX");
}

// Lets every build finish and every result it posted arrive.
void settle()
{
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
}

}

TEST(FileIndex, WalksAllButHiddenNamesAndHeavyFoldersSortedByPath)
{
    QTemporaryDir dir;
    writeFile(dir, "a.txt", "x");
    writeFile(dir, "src/main.cpp", "x");
    writeFile(dir, "src/deep/deeper/x.h", "x");
    writeFile(dir, ".env/dot.txt", "x");
    writeFile(dir, ".git/config", "x");
    writeFile(dir, ".hg/store", "x");
    writeFile(dir, ".svn/entries", "x");
    writeFile(dir, ".DS_Store", "x");
    writeFile(dir, "node_modules/pkg/index.js", "x");
    writeFile(dir, "src/build/out.o", "x");
    writeFile(dir, "web/.next/cache.json", "x");
    writeFile(dir, "__pycache__/m.pyc", "x");
    // Heavy names are matched exactly, and only as folders.
    writeFile(dir, "Build/kept.txt", "x");
    writeFile(dir, "dist", "a file named like a heavy folder");
    makeFolder(dir, "empty");

    const QList<IndexedFile> files = buildLocalIndex(dir.path());
    EXPECT_EQ(paths(files),
        QStringList({ ".env/dot.txt", "Build/kept.txt", "a.txt", "dist", "src/deep/deeper/x.h",
            "src/main.cpp" }));
    const IndexedFile &kept = files[1];
    EXPECT_EQ(kept.url, dir.filePath("Build/kept.txt"));
    EXPECT_EQ(kept.lowerPath, "build/kept.txt");
    EXPECT_EQ(kept.lowerName, "kept.txt");
    EXPECT_EQ(files[2].lowerName, "a.txt");
}

TEST(FileIndex, FollowsLinksToFoldersAndWalksEachFolderOnce)
{
    QTemporaryDir dir;
    writeFile(dir, "src/a.txt", "x");
    QTemporaryDir elsewhere;
    writeFile(elsewhere, "lib/b.txt", "x");
    ASSERT_TRUE(QFile::link(elsewhere.filePath("lib"), dir.filePath("lib")));
    // A link back to an ancestor would loop, and one to a folder already walked repeats it.
    ASSERT_TRUE(QFile::link(dir.path(), dir.filePath("src/up")));
    ASSERT_TRUE(QFile::link(dir.filePath("src"), dir.filePath("again")));

    EXPECT_EQ(paths(buildLocalIndex(dir.path())), QStringList({ "lib/b.txt", "src/a.txt" }));
}

TEST(FileIndex, LimitKeepsTheShallowestFiles)
{
    QTemporaryDir dir;
    writeFile(dir, "top1", "x");
    writeFile(dir, "top2", "x");
    writeFile(dir, "a/mid1", "x");
    writeFile(dir, "a/mid2", "x");
    writeFile(dir, "a/b/low", "x");

    const QStringList three = paths(buildLocalIndex(dir.path(), 3));
    ASSERT_EQ(three.size(), 3);
    EXPECT_TRUE(three.contains("top1") && three.contains("top2"));
    EXPECT_FALSE(three.contains("a/b/low"));
    EXPECT_EQ(
        paths(buildLocalIndex(dir.path(), 4)), QStringList({ "a/mid1", "a/mid2", "top1", "top2" }));
    EXPECT_TRUE(buildLocalIndex(dir.filePath("missing")).isEmpty());
}

TEST(FileIndex, StopsAtFiftyThousandFiles)
{
    QTemporaryDir dir(roomyTemplate());
    const QString flat = makeFolder(dir, "flat");
    for (int i = 0; i < 50'000; ++i) {
        QFile file(flat + QStringLiteral("/f%1").arg(i));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    writeFile(dir, "flat/deeper/late.txt", "x");

    const QList<IndexedFile> files = buildLocalIndex(dir.path());
    ASSERT_EQ(files.size(), 50'000);
    EXPECT_FALSE(paths(files).contains("flat/deeper/late.txt"));
}

TEST(FileIndex, IndexerDeliversOnlyTheLatestRequest)
{
    QTemporaryDir first;
    QTemporaryDir second;
    writeFile(first, "one.txt", "x");
    writeFile(second, "two.txt", "x");
    FileIndexer indexer;
    QList<std::pair<QString, QStringList>> built;
    indexer.onBuilt = [&built](const QString &root, const QList<IndexedFile> &files) {
        built.append({ root, paths(files) });
    };

    indexer.rebuild(first.path());
    indexer.rebuild(second.path());
    ASSERT_TRUE(waitUntil([&built] { return !built.isEmpty(); }));
    settle();
    ASSERT_EQ(built.size(), 1);
    EXPECT_EQ(built[0].first, second.path());
    EXPECT_EQ(built[0].second, QStringList({ "two.txt" }));

    indexer.rebuild(first.path());
    indexer.dropPending();
    settle();
    EXPECT_EQ(built.size(), 1);
}

TEST(FileIndex, ResultForADeletedIndexerIsDropped)
{
    QTemporaryDir dir;
    writeFile(dir, "one.txt", "x");
    bool called = false;
    {
        FileIndexer indexer;
        indexer.onBuilt = [&called](const QString &, const QList<IndexedFile> &) { called = true; };
        indexer.rebuild(dir.path());
    }
    settle();
    EXPECT_FALSE(called);
}
