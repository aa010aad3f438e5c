#include "navigation/FileListing.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

using testsupport::makeFolder;
using testsupport::writeFile;

namespace
{

QStringList names(const QList<DirectoryEntry> &entries)
{
    QStringList result;
    for (const DirectoryEntry &entry : entries)
        result.append(entry.path.mid(entry.path.lastIndexOf(u'/') + 1));
    return result;
}

}

TEST(FileListing, FoldersFirstThenNumbersByValueIgnoringCase)
{
    QTemporaryDir dir;
    for (const char *name : { "B", "a", "10.txt", "9.txt", "file10", "file2" })
        writeFile(dir, name, "x");
    makeFolder(dir, "z");
    makeFolder(dir, "Y2");
    makeFolder(dir, "y10");

    const QList<DirectoryEntry> listed = listChildren(dir.path(), true);
    EXPECT_EQ(names(listed),
        QStringList({ "Y2", "y10", "z", "9.txt", "10.txt", "a", "B", "file2", "file10" }));
    EXPECT_TRUE(listed[2].isDirectory);
    EXPECT_FALSE(listed[3].isDirectory);
    EXPECT_EQ(listed[2].path, dir.filePath("z"));
}

TEST(FileListing, NamesEqualButForCaseKeepOneOrder)
{
    QList<DirectoryEntry> entries { { "/f/readme", false }, { "/f/README", false },
        { "/f/Readme", false } };
    QList<DirectoryEntry> reversed(entries.rbegin(), entries.rend());
    sortListing(entries);
    sortListing(reversed);
    EXPECT_EQ(entries, reversed);
}

TEST(FileListing, HiddenNamesNeverListedOtherDotNamesAre)
{
    QTemporaryDir dir;
    makeFolder(dir, ".git/objects");
    makeFolder(dir, ".svn");
    makeFolder(dir, ".hg");
    writeFile(dir, ".DS_Store", "x");
    writeFile(dir, ".gitignore", "x");
    writeFile(dir, ".env", "x");
    makeFolder(dir, "node_modules");
    // Names are matched exactly: these only look like hidden ones.
    writeFile(dir, ".GIT", "x");
    writeFile(dir, "x.git", "x");

    const QStringList sorted = names(listChildren(dir.path(), true));
    EXPECT_EQ(sorted, QStringList({ "node_modules", ".env", ".GIT", ".gitignore", "x.git" }));
    QStringList unsorted = names(listChildren(dir.path(), false));
    unsorted.sort();
    QStringList expected = sorted;
    expected.sort();
    EXPECT_EQ(unsorted, expected);
}

TEST(FileListing, UnreadableOrMissingFolderGivesNothing)
{
    QTemporaryDir dir;
    EXPECT_TRUE(listChildren(dir.filePath("missing"), true).isEmpty());
    // A file is not a folder to list.
    EXPECT_TRUE(listChildren(writeFile(dir, "plain", "x"), true).isEmpty());

    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser from reading";
    const QString locked = makeFolder(dir, "locked");
    writeFile(dir, "locked/inside.txt", "x");
    QFile::setPermissions(locked, QFileDevice::Permissions());
    EXPECT_TRUE(listChildren(locked, true).isEmpty());
    QFile::setPermissions(
        locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(FileListing, LinkToFolderIsAFolderAndCanonicalPathsResolveIt)
{
    QTemporaryDir dir;
    makeFolder(dir, "real");
    writeFile(dir, "real/inside.txt", "x");
    writeFile(dir, "z.txt", "x");
    ASSERT_TRUE(QFile::link(dir.filePath("real"), dir.filePath("link")));

    const QList<DirectoryEntry> listed = listChildren(dir.path(), true);
    ASSERT_EQ(names(listed), QStringList({ "link", "real", "z.txt" }));
    EXPECT_TRUE(listed[0].isDirectory);
    const QString real = QFileInfo(dir.filePath("real")).canonicalFilePath();
    EXPECT_EQ(canonicalPath(dir.filePath("link/inside.txt")), real + "/inside.txt");
    EXPECT_EQ(canonicalPath(dir.filePath("link/./new.txt")), real + "/new.txt");
    EXPECT_EQ(canonicalPath(dir.filePath("gone/../gone.txt")), QDir::cleanPath(dir.filePath("gone.txt")));
}
