#include "app/DiskWatcher.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <gtest/gtest.h>

using testsupport::waitUntil;
using testsupport::writeFile;

namespace
{

class DiskWatcherTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        watcher.onChange = [this](const QSet<QString> &paths) {
            reported += paths;
            ++bursts;
        };
    }

    bool seen(const QString &path) { return waitUntil([&] { return reported.contains(path); }, 15000); }

    QTemporaryDir dir;
    DiskWatcher watcher;
    QSet<QString> reported;
    int bursts = 0;
};

}

TEST_F(DiskWatcherTest, ReportsAFileRewrittenInPlaceAndOneReplacedByARename)
{
    const QString path = writeFile(dir, "a.txt", "one\n");
    watcher.watch({ path });
    writeFile(dir, "a.txt", "two\n");
    ASSERT_TRUE(seen(path));

    // Saved the way editors save: a new file renamed over the old one ends the first watch.
    reported.clear();
    const QString temporary = writeFile(dir, "a.txt.tmp", "three\n");
    ASSERT_EQ(::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()), 0);
    ASSERT_TRUE(seen(path));
    reported.clear();
    writeFile(dir, "a.txt", "four\n");
    EXPECT_TRUE(seen(path));
}

TEST_F(DiskWatcherTest, AFolderReportsEntriesComingAndGoing)
{
    watcher.watch({ dir.path() });
    const QString created = writeFile(dir, "new.txt", "x");
    ASSERT_TRUE(seen(dir.path()));
    reported.clear();
    QFile::remove(created);
    EXPECT_TRUE(seen(dir.path()));
}

TEST_F(DiskWatcherTest, APathTheSystemCannotWatchIsPolledUntilItAppears)
{
    const QString later = dir.filePath("later.txt");
    watcher.watch({ later });
    EXPECT_EQ(watcher.polledPaths(), QStringList { later });
    writeFile(dir, "later.txt", "here\n");
    ASSERT_TRUE(seen(later));
    // From then on the system watches it.
    EXPECT_TRUE(watcher.polledPaths().isEmpty());
}

TEST_F(DiskWatcherTest, PathsNoLongerWatchedAreNotReported)
{
    const QString kept = writeFile(dir, "kept.txt", "x");
    const QString dropped = writeFile(dir, "dropped.txt", "x");
    watcher.watch({ kept, dropped });
    watcher.watch({ kept });
    writeFile(dir, "dropped.txt", "changed");
    writeFile(dir, "kept.txt", "changed");
    ASSERT_TRUE(seen(kept));
    EXPECT_FALSE(reported.contains(dropped));
}
