#include "navigation/FileNode.h"
#include "TestSupport.h"
#include "navigation/FileTreeModel.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::makeFolder;
using testsupport::writeFile;

namespace
{

QStringList childNames(FileNode &node)
{
    QStringList names;
    for (int row = 0; row < node.childCount(); ++row)
        names.append(node.child(row)->name());
    return names;
}

}

TEST(FileNode, FolderReadsItsChildrenOnlyWhenFirstAsked)
{
    QTemporaryDir dir;
    makeFolder(dir, "sub");
    writeFile(dir, "top.txt", "x");
    FileNode root(dir.path(), true);
    EXPECT_FALSE(root.isLoaded());

    ASSERT_EQ(childNames(root), QStringList({ "sub", "top.txt" }));
    FileNode *sub = root.child(0);
    EXPECT_EQ(sub->parent(), &root);
    EXPECT_FALSE(sub->isLoaded());
    // Written after the root was read but before sub was: sub has not looked yet.
    writeFile(dir, "sub/late.txt", "x");
    EXPECT_EQ(childNames(*sub), QStringList({ "late.txt" }));
    EXPECT_TRUE(sub->isLoaded());

    // Once read, the children stay until a reload.
    writeFile(dir, "sub/later.txt", "x");
    EXPECT_EQ(childNames(*sub), QStringList({ "late.txt" }));

    FileNode *file = root.child(1);
    EXPECT_EQ(file->childCount(), 0);
    EXPECT_EQ(file->child(0), nullptr);
    EXPECT_EQ(root.child(2), nullptr);
}

TEST(FileNode, ReloadKeepsNodesOfEntriesStillThere)
{
    QTemporaryDir dir;
    makeFolder(dir, "kept");
    makeFolder(dir, "unread");
    writeFile(dir, "kept/inner.txt", "x");
    writeFile(dir, "gone.txt", "x");
    writeFile(dir, "turns", "x");
    FileNode root(dir.path(), true);
    root.childCount();
    FileNode *kept = root.childNamed("kept");
    FileNode *unread = root.childNamed("unread");
    FileNode *inner = kept->childNamed("inner.txt");
    ASSERT_TRUE(kept && unread && inner);

    QFile::remove(dir.filePath("gone.txt"));
    writeFile(dir, "added.txt", "x");
    writeFile(dir, "kept/new.txt", "x");
    writeFile(dir, "unread/x.txt", "x");
    QFile::remove(dir.filePath("turns"));
    makeFolder(dir, "turns");
    root.reload();

    EXPECT_EQ(childNames(root), QStringList({ "kept", "turns", "unread", "added.txt" }));
    EXPECT_EQ(root.childNamed("kept"), kept);
    EXPECT_EQ(root.childNamed("unread"), unread);
    EXPECT_FALSE(unread->isLoaded());
    EXPECT_TRUE(root.childNamed("turns")->isDirectory());
    // The loaded folder below was read again too, its own kept node included.
    EXPECT_EQ(childNames(*kept), QStringList({ "inner.txt", "new.txt" }));
    EXPECT_EQ(kept->childNamed("inner.txt"), inner);
    for (int row = 0; row < root.childCount(); ++row)
        EXPECT_EQ(root.child(row)->row(), row);
}

TEST(FileTreeModel, FindsEntriesUnderTheRootOnly)
{
    QTemporaryDir dir;
    writeFile(dir, "a/b/deep.txt", "x");
    writeFile(dir, "top.txt", "x");
    FileTreeModel model;
    model.setRootPath(dir.path());
    EXPECT_EQ(model.rowCount(), 2);

    const QString deep = dir.filePath("a/b/deep.txt");
    EXPECT_FALSE(model.find(deep, false).isValid()) << "a was never read";
    const QModelIndex found = model.find(deep, true);
    ASSERT_TRUE(found.isValid());
    EXPECT_EQ(found.data(FileTreeModel::PathRole).toString(), deep);
    EXPECT_EQ(found.parent().parent(), model.index(0, 0));
    EXPECT_FALSE(model.find(dir.path(), true).isValid());
    EXPECT_FALSE(model.find(dir.path() + "-other/top.txt", true).isValid());
    EXPECT_FALSE(model.find(dir.filePath("a/missing"), true).isValid());
    EXPECT_FALSE(model.find(dir.filePath("top.txt/inside"), true).isValid());

    // Every folder offers to open, files never do.
    EXPECT_TRUE(model.hasChildren(found.parent()));
    EXPECT_FALSE(model.hasChildren(found));
    EXPECT_TRUE(model.flags(found) & Qt::ItemNeverHasChildren);
}
