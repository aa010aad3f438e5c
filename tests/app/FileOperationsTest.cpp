#include "AppFixture.h"

#include "app/BookmarkController.h"
#include "app/FileOperationsController.h"

#include "app/FileNames.h"
#include "common/Defaults.h"
#include "navigation/ExplorerView.h"

#include <QDir>
#include <QLineEdit>
#include <QStandardPaths>

using FileOperationsTest = AppFixture;

namespace {

void typeName(InlineCard *card, const QString &name)
{
    card->field()->setText(name);
}

}

TEST(FileNameRules, MessagesAndComponentWiseFolders)
{
    EXPECT_EQ(FileNames::nameError("   ").value_or(""), "A name can't be empty");
    EXPECT_EQ(FileNames::nameError("a/b").value_or(""), "A name can't contain / or :");
    EXPECT_EQ(FileNames::nameError("a:b").value_or(""), "A name can't contain / or :");
    EXPECT_EQ(FileNames::nameError("..").value_or(""), "That name isn't allowed");
    EXPECT_FALSE(FileNames::nameError(" notes.txt "));
    EXPECT_TRUE(FileNames::isAtOrUnder("/w/app/x", "/w/app"));
    EXPECT_FALSE(FileNames::isAtOrUnder("/w/app2/x", "/w/app"));
    EXPECT_TRUE(FileNames::isAtOrUnder("/w/app", "/w/app/"));
    EXPECT_EQ(FileNames::moved("/w/app/src/x.c", "/w/app", "/w/lib"), "/w/lib/src/x.c");
    // The first folder that holds the file; a look-alike sibling folder does not.
    EXPECT_EQ(FileNames::relativeToFirst("/w/app/src/x.c", { "", "/w/ap", "/w/app/", "/w" }), "src/x.c");
    EXPECT_EQ(FileNames::relativeToFirst("/etc/hosts", { "/" }), "etc/hosts");
    EXPECT_EQ(FileNames::relativeToFirst("/w/app", { "/w/app" }), "/w/app");
    EXPECT_EQ(FileNames::relativeToFirst("/srv/x", {}), "/srv/x");
}

TEST_F(FileOperationsTest, NewFileNeedsAFolderFirst)
{
    AppDelegate &a = launch();
    a.fileOperations().newItem(false);
    EXPECT_EQ(a.window().statusText().value_or(""), "Open a folder first (Ctrl+O)");
    EXPECT_FALSE(a.window().card());
}

TEST_F(FileOperationsTest, NewFileChecksTheNameAndOpensTheFile)
{
    AppDelegate &a = launch();
    a.fileOperations().setWorkspace(testsupport::makeFolder(dir, "ws"));
    file("ws/taken.txt");
    a.fileOperations().newItem(false);
    ASSERT_TRUE(a.window().card());
    EXPECT_EQ(cardTexts().value(0), "New File");
    EXPECT_EQ(cardTexts().value(1), "In ws");
    typeName(a.window().card(), "taken.txt");
    ASSERT_TRUE(pressCardButton("Create"));
    ASSERT_TRUE(a.window().card());
    EXPECT_EQ(cardTexts().value(1), "taken.txt already exists");
    typeName(a.window().card(), " .. ");
    pressCardButton("Create");
    EXPECT_EQ(cardTexts().value(1), "That name isn't allowed");
    typeName(a.window().card(), "fresh.txt");
    pressCardButton("Create");
    EXPECT_TRUE(testsupport::waitUntil([&] { return !a.documents().empty(); }));
    EXPECT_EQ(a.documents().activeDocument()->path(), dir.filePath("ws/fresh.txt"));
    EXPECT_FALSE(a.window().card());
}

TEST_F(FileOperationsTest, RenamingAFolderCarriesItsDocumentsAndBookmarks)
{
    AppDelegate &a = launch();
    a.fileOperations().setWorkspace(dir.path());
    a.documents().loadDocument(file("app/a.txt", "1\n2\n3\n"), false, true, true);
    a.documents().loadDocument(file("app/sub/b.txt", "x\ny\n"), false, true, true);
    a.tabs().activateDocument(0, true);
    a.documents()[0]->textView->setCaretPosition(a.documents()[0]->textView->buffer()->lineStart(2));
    a.bookmarks().toggle();
    a.fileOperations().renameItem(dir.filePath("app"));
    typeName(a.window().card(), "lib");
    ASSERT_TRUE(pressCardButton("Rename"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.documents()[0]->path() == dir.filePath("lib/a.txt"); }));
    EXPECT_EQ(a.documents()[1]->path(), dir.filePath("lib/sub/b.txt"));
    EXPECT_EQ(a.bookmarks().storedLines(dir.filePath("lib/a.txt")), QList<int> { 3 });
    EXPECT_TRUE(a.bookmarks().storedLines(dir.filePath("app/a.txt")).isEmpty());
    EXPECT_TRUE(Defaults::stringList(Defaults::OpenFiles).contains(dir.filePath("lib/sub/b.txt")));
}

TEST_F(FileOperationsTest, RenameCanChangeOnlyTheCaseAndMovesTheWorkspace)
{
    AppDelegate &a = launch();
    const QString ws = testsupport::makeFolder(dir, "proj");
    a.fileOperations().setWorkspace(ws);
    a.fileOperations().renameItem(ws);
    typeName(a.window().card(), "PROJ");
    ASSERT_TRUE(pressCardButton("Rename"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.fileOperations().workspace().value_or("") == dir.filePath("PROJ"); }));
    EXPECT_EQ(Defaults::string(Defaults::Workspace).value_or(""), dir.filePath("PROJ"));
    EXPECT_EQ(a.window().explorer()->root(), dir.filePath("PROJ"));
}

TEST_F(FileOperationsTest, TrashingAFolderWarnsAndClosesItsDirtyTab)
{
    AppDelegate &a = launch();
    a.fileOperations().setWorkspace(dir.path());
    a.documents().loadDocument(file("old/draft.txt"), false, true, true);
    a.documents().loadDocument(file("keep.txt"), false, true, true);
    type(a.documents()[0], "unsaved ");
    a.fileOperations().trashItems({ dir.filePath("old") });
    ASSERT_TRUE(a.window().card());
    EXPECT_EQ(cardTexts().value(0), "Move old to the Trash?");
    EXPECT_EQ(cardTexts().value(1), "Unsaved changes in open tabs will be lost.");
    ASSERT_TRUE(pressCardButton("Move to Trash"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("old")));
    // It is in the Trash of the data folder, even though that folder did not exist before.
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
    EXPECT_TRUE(QFileInfo::exists(trash + "/files/old/draft.txt"));
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath("files/old")));
    ASSERT_EQ(a.documents().size(), 1u);
    EXPECT_EQ(a.documents()[0]->fileName(), "keep.txt");
    a.fileOperations().trashItems({ dir.filePath("keep.txt"), dir.filePath("missing.txt") });
    EXPECT_EQ(cardTexts().value(0), "Move 2 items to the Trash?");
}

TEST_F(FileOperationsTest, AWorkspaceReachedThroughALinkKeepsItsFilesInside)
{
    AppDelegate &a = launch();
    const QString real = testsupport::makeFolder(dir, "real");
    file("real/src/a.txt", "a\n");
    const QString link = dir.filePath("link");
    ASSERT_TRUE(QFile::link(real, link));
    a.fileOperations().setWorkspace(link);
    const QString shown = link + "/src/a.txt";
    a.window().explorer()->onOpen(shown, true); // a double click on its row
    ASSERT_EQ(a.documents().size(), 1u);
    EXPECT_EQ(a.window().explorer()->root(), link);
    EXPECT_TRUE(a.window().explorer()->noteLabel()->isHidden());
    EXPECT_EQ(a.window().explorer()->selectedPaths(), QStringList { shown });
    EXPECT_EQ(Defaults::string(Defaults::Workspace).value_or(""), link);
    type(a.documents()[0], "x");
    EXPECT_TRUE(a.window().explorer()->dirtyPaths().contains(shown));

    // Renamed through the link, the folder takes its open document along.
    a.fileOperations().renameItem(link + "/src");
    typeName(a.window().card(), "lib");
    ASSERT_TRUE(pressCardButton("Rename"));
    const QString moved = QFileInfo(real).canonicalFilePath() + "/lib/a.txt";
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.documents()[0]->path() == moved; }));

    // Trashed through the link, it closes the tab.
    a.fileOperations().trashItems({ link + "/lib" });
    ASSERT_TRUE(pressCardButton("Move to Trash"));
    EXPECT_TRUE(a.documents().empty());
}

TEST_F(FileOperationsTest, AFailedRenameOrNewFolderSaysWhy)
{
    AppDelegate &a = launch();
    a.fileOperations().setWorkspace(dir.path());
    const QString gone = file("gone.txt");
    a.fileOperations().renameItem(gone);
    QFile::remove(gone);
    typeName(a.window().card(), "still.txt");
    ASSERT_TRUE(pressCardButton("Rename"));
    EXPECT_TRUE(cardTexts().contains("Couldn't rename gone.txt: No such file or directory")) << cardTexts().join('|').toStdString();

    const QString parent = testsupport::makeFolder(dir, "parent");
    a.fileOperations().newItem(true, parent);
    QDir(parent).removeRecursively();
    typeName(a.window().card(), "child");
    ASSERT_TRUE(pressCardButton("Create"));
    EXPECT_TRUE(cardTexts().contains("Couldn't create child: No such file or directory")) << cardTexts().join('|').toStdString();
}
