#include "AppFixture.h"

#include "app/FileOperationsController.h"

#include "app/EditorHost.h"
#include "chrome/TabStripView.h"
#include "common/Defaults.h"

#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>

using TabsTest = AppFixture;

namespace {

QAction *menuAction(QWidget *window, const QString &title)
{
    for (QAction *action : window->findChildren<QAction *>())
        if (action->text() == title)
            return action;
    return nullptr;
}

}

TEST_F(TabsTest, ClosingTheActiveLastTabActivatesTheNewLastOne)
{
    AppDelegate &a = launch();
    for (const char *name : { "a.txt", "b.txt", "c.txt" })
        a.documents().loadDocument(file(name), false, true, true);
    ASSERT_EQ(a.documents().activeIndex(), 2);
    a.tabs().closeTab(2);
    EXPECT_EQ(a.documents().size(), 2u);
    EXPECT_EQ(a.documents().activeIndex(), 1);
    EXPECT_EQ(a.window().scrollView()->current(), a.documents()[1]->textView);
}

TEST_F(TabsTest, ClosingATabLeftOfTheActiveOneKeepsTheSameDocument)
{
    AppDelegate &a = launch();
    for (const char *name : { "a.txt", "b.txt", "c.txt" })
        a.documents().loadDocument(file(name), false, true, true);
    a.tabs().activateDocument(1, true);
    a.tabs().closeTab(0);
    EXPECT_EQ(a.documents().activeDocument()->fileName(), "b.txt");
    EXPECT_EQ(a.window().tabStrip()->selected(), 0);
    a.tabs().closeTab(0);
    a.tabs().closeTab(0);
    EXPECT_TRUE(a.documents().empty());
    EXPECT_FALSE(a.window().tabStrip()->isVisible() && a.window().tabStrip()->tabCount() > 0);
    EXPECT_EQ(Defaults::stringList(Defaults::OpenFiles), QStringList());
}

TEST_F(TabsTest, ReopenBringsBackTheTwentyNewestSkippingVanishedFiles)
{
    AppDelegate &a = launch();
    for (int i = 0; i < 25; ++i)
        a.documents().loadDocument(file(QString("f%1.txt").arg(i)), false, true, true);
    while (!a.documents().empty())
        a.tabs().closeTab(0);
    ASSERT_TRUE(a.tabs().canReopenClosedTab());
    QFile::remove(dir.filePath("f24.txt"));
    a.tabs().reopenClosedTab();
    EXPECT_EQ(a.documents().activeDocument()->fileName(), "f23.txt");
    int reopened = 1;
    while (a.tabs().canReopenClosedTab()) {
        a.tabs().reopenClosedTab();
        ++reopened;
    }
    EXPECT_EQ(reopened, 19); // the twenty newest but the vanished one
    EXPECT_EQ(a.documents().back()->fileName(), "f5.txt");
}

TEST_F(TabsTest, NextAndPreviousWrapAround)
{
    AppDelegate &a = launch();
    a.tabs().stepTab(1); // nothing open: nothing happens
    for (const char *name : { "a.txt", "b.txt", "c.txt" })
        a.documents().loadDocument(file(name), false, true, true);
    a.tabs().stepTab(1);
    EXPECT_EQ(a.documents().activeIndex(), 0);
    a.tabs().stepTab(-1);
    EXPECT_EQ(a.documents().activeIndex(), 2);
}

TEST_F(TabsTest, ReorderAcceptsOnlyPermutationsAndTheActiveDocumentFollows)
{
    AppDelegate &a = launch();
    for (const char *name : { "a.txt", "b.txt", "c.txt" })
        a.documents().loadDocument(file(name), false, true, true);
    a.tabs().activateDocument(0, true);
    a.tabs().onReorderOrder({ 2, 0, 0 });
    a.tabs().onReorderOrder({ 0, 1 });
    EXPECT_EQ(a.documents()[0]->fileName(), "a.txt");
    a.tabs().onReorderOrder({ 2, 0, 1 });
    EXPECT_EQ(a.documents()[0]->fileName(), "c.txt");
    EXPECT_EQ(a.documents().activeIndex(), 1);
    EXPECT_EQ(a.window().tabStrip()->titles(), (QStringList { "c.txt", "a.txt", "b.txt" }));
    EXPECT_EQ(Defaults::stringList(Defaults::OpenFiles).value(0), dir.filePath("c.txt"));
}

TEST_F(TabsTest, DirtyTabAsksBeforeClosing)
{
    AppDelegate &a = launch();
    a.documents().loadDocument(file("keep.txt", "old\n"), false, true, true);
    type(a.documents()[0], "new ");
    a.tabs().closeTab(0);
    ASSERT_TRUE(a.window().card());
    EXPECT_EQ(cardTexts().value(0), "Save changes to keep.txt?");
    ASSERT_TRUE(pressCardButton("Cancel"));
    EXPECT_EQ(a.documents().size(), 1u);
    a.tabs().closeTab(0);
    ASSERT_TRUE(pressCardButton("Save"));
    EXPECT_TRUE(a.documents().empty());
    EXPECT_EQ(testsupport::readFile(dir.filePath("keep.txt")), "new old\n");
}

TEST_F(TabsTest, CloseOthersWithADirtyMemberAsksOnceForTheGroup)
{
    AppDelegate &a = launch();
    for (const char *name : { "a.txt", "b.txt", "c.txt", "d.txt" })
        a.documents().loadDocument(file(name), false, true, true);
    type(a.documents()[2], "x");
    a.tabs().closeGroup(a.documents()[1], true);
    ASSERT_TRUE(a.window().card());
    EXPECT_EQ(cardTexts().value(0), "Save changes to c.txt?");
    ASSERT_TRUE(pressCardButton("Don't Save"));
    ASSERT_EQ(a.documents().size(), 2u);
    EXPECT_EQ(testsupport::readFile(dir.filePath("c.txt")), "text\n");
    a.tabs().closeGroup(a.documents()[0], false);
    ASSERT_EQ(a.documents().size(), 1u);
    EXPECT_EQ(a.documents()[0]->fileName(), "a.txt");
}

TEST_F(TabsTest, TabMenuItemsAreEnabledByPosition)
{
    AppDelegate &a = launch();
    a.documents().loadDocument(file("only.txt"), false, true, true);
    std::unique_ptr<QMenu> single(a.tabs().menuForTab(0));
    EXPECT_FALSE(menuAction(single.get(), "Close Others")->isEnabled());
    EXPECT_FALSE(menuAction(single.get(), "Close to the Right")->isEnabled());
    a.documents().loadDocument(file("second.txt"), false, true, true);
    std::unique_ptr<QMenu> first(a.tabs().menuForTab(0));
    EXPECT_TRUE(menuAction(first.get(), "Close Others")->isEnabled());
    EXPECT_TRUE(menuAction(first.get(), "Close to the Right")->isEnabled());
    EXPECT_NE(menuAction(first.get(), "Reveal in File Manager"), nullptr);
    EXPECT_EQ(a.tabs().menuForTab(7), nullptr);
}

TEST_F(TabsTest, CopyRelativePathUsesTheWorkspaceThenTheExplorerRoot)
{
    AppDelegate &a = launch();
    a.fileOperations().setWorkspace(testsupport::makeFolder(dir, "ws"));
    a.documents().loadDocument(file("ws/src/deep/x.cpp"), false, true, true);
    EXPECT_EQ(a.tabs().relativePath(*a.documents()[0]), "src/deep/x.cpp");
    a.documents().loadDocument(file("elsewhere/y.txt"), false, true, true);
    // The Explorer now shows the file's own folder, outside the workspace.
    EXPECT_EQ(a.tabs().relativePath(*a.documents()[1]), "y.txt");
    std::unique_ptr<QMenu> menu(a.tabs().menuForTab(0));
    menuAction(menu.get(), "Copy Relative Path")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "src/deep/x.cpp");
}

TEST_F(TabsTest, EachTabKeepsItsSelectionAndAShrunkenTextClampsIt)
{
    AppDelegate &a = launch();
    a.documents().loadDocument(file("a.txt", QByteArray(100, 'a')), false, true, true);
    a.documents().loadDocument(file("b.txt", "bbbb"), false, true, true);
    a.tabs().activateDocument(0, true);
    a.documents()[0]->textView->setSelection(90, 95);
    a.tabs().activateDocument(1, true);
    a.documents()[0]->textView->setFileText(QString(92, 'z'));
    a.tabs().activateDocument(0, true);
    const EditorTextView *restored = a.documents()[0]->textView;
    EXPECT_EQ(restored->selectionStart(), 90);
    EXPECT_EQ(restored->selectionEnd(), 92);
}

TEST_F(TabsTest, MenusFollowTheDocuments)
{
    AppDelegate &a = launch();
    QWidget *w = a.window().mainWindow();
    EXPECT_FALSE(menuAction(w, "Save")->isEnabled());
    EXPECT_FALSE(menuAction(w, "Save All")->isEnabled());
    EXPECT_TRUE(menuAction(w, "Close Tab")->isEnabled());
    EXPECT_FALSE(menuAction(w, "Reopen Closed Tab")->isEnabled());
    a.documents().loadDocument(file("a.txt"), false, true, true);
    EXPECT_TRUE(menuAction(w, "Save")->isEnabled());
    EXPECT_FALSE(menuAction(w, "Next Tab")->isEnabled());
    a.documents().loadDocument(file("b.txt"), false, true, true);
    EXPECT_TRUE(menuAction(w, "Next Tab")->isEnabled());
    menuAction(w, "Close Tab")->trigger();
    EXPECT_TRUE(menuAction(w, "Reopen Closed Tab")->isEnabled());
    a.window().toggleSidebar();
    EXPECT_NE(menuAction(w, "Show Sidebar"), nullptr);
}

TEST_F(TabsTest, ReopenTurnsOffOnceTheFilesOfEveryClosedTabAreGone)
{
    AppDelegate &a = launch();
    QWidget *w = a.window().mainWindow();
    const QString path = file("gone.txt");
    a.documents().loadDocument(path, false, true, true);
    menuAction(w, "Close Tab")->trigger();
    ASSERT_TRUE(menuAction(w, "Reopen Closed Tab")->isEnabled());
    QFile::remove(path);
    QMenu *fileMenu = nullptr;
    for (QMenu *menu : w->findChildren<QMenu *>())
        if (menu->title() == "File")
            fileMenu = menu;
    ASSERT_NE(fileMenu, nullptr);
    emit fileMenu->aboutToShow(); // the user opens the File menu
    EXPECT_FALSE(menuAction(w, "Reopen Closed Tab")->isEnabled());
}
