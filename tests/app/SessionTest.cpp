#include "AppFixture.h"

#include "chrome/ActivityBarView.h"
#include "chrome/InlineCard.h"
#include "common/Defaults.h"
#include "navigation/ExplorerView.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSplitter>

using SessionTest = AppFixture;

TEST_F(SessionTest, FirstRunShowsTheExplorerAndHidesThePanel)
{
    AppDelegate &a = launch();
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.window().split()->sizes().value(0) > 0; }));
    EXPECT_FALSE(a.window().isSidebarHidden());
    EXPECT_EQ(a.window().split()->sizes().value(0), 180);
    EXPECT_TRUE(a.window().isPanelHidden());
    EXPECT_TRUE(a.window().explorer()->isVisible());
    EXPECT_EQ(a.window().mainWindow()->size(), QSize(1000, 700));
    EXPECT_TRUE(a.documents().empty());
    EXPECT_EQ(a.window().mainWindow()->windowTitle(), "Quillmar[*]");
}

TEST_F(SessionTest, RestoresWorkspaceFilesAndTheActiveFile)
{
    const QString one = file("src/one.txt");
    const QString two = file("src/two.txt");
    const QString gone = dir.filePath("src/gone.txt");
    Defaults::set(Defaults::Workspace, dir.path());
    Defaults::set(Defaults::ExplorerRoot, dir.filePath("src"));
    Defaults::set(Defaults::OpenFiles, QStringList { one, gone, two });
    Defaults::set(Defaults::ActiveFile, one);

    AppDelegate &a = launch();
    ASSERT_EQ(a.documents().size(), 2u);
    EXPECT_EQ(a.documents()[0]->path(), one);
    EXPECT_EQ(a.documents()[1]->path(), two);
    EXPECT_EQ(a.documents().activeIndex(), 0);
    EXPECT_EQ(a.fileOperations().workspace().value_or(""), QDir::cleanPath(dir.path()));
    EXPECT_EQ(a.window().explorer()->root(), dir.filePath("src"));
    // The vanished file leaves the stored session at the first write.
    EXPECT_EQ(Defaults::stringList(Defaults::OpenFiles), (QStringList { one, two }));
}

TEST_F(SessionTest, UnknownActiveFileActivatesTheLastTab)
{
    Defaults::set(Defaults::OpenFiles, QStringList { file("a.txt"), file("b.txt") });
    Defaults::set(Defaults::ActiveFile, dir.filePath("never-opened.txt"));
    AppDelegate &a = launch();
    EXPECT_EQ(a.documents().activeIndex(), 1);
    Defaults::remove(Defaults::ActiveFile);
}

TEST_F(SessionTest, RemoteOriginIsRestoredOnlyFromThreeStrings)
{
    const QString copy = file("copy.txt");
    const QString other = file("other.txt");
    Defaults::set(Defaults::OpenFiles, QStringList { copy, other });
    Defaults::set(Defaults::RemoteFiles, QVariantMap {
                                             { copy, QStringList { "me@host:22", "/etc/motd", "1700000000" } },
                                             { other, QStringList { "me@host:22", "/x" } },
                                         });
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents()[0]->remote.has_value());
    EXPECT_EQ(a.documents()[0]->remote->hostID, "me@host:22");
    EXPECT_EQ(a.documents()[0]->remote->modified.value_or(0), 1700000000);
    EXPECT_FALSE(a.documents()[1]->remote.has_value());
}

TEST_F(SessionTest, FilesHandedOverDuringStartOpenAfterTheRestoreInOrder)
{
    Defaults::set(Defaults::OpenFiles, QStringList { file("restored.txt") });
    app = std::make_unique<AppDelegate>();
    app->openURLs({ QUrl::fromLocalFile(file("first.txt")), QUrl::fromLocalFile(file("second.txt")) });
    EXPECT_TRUE(app->documents().empty());
    app->didFinishLaunching();
    ASSERT_EQ(app->documents().size(), 3u);
    EXPECT_EQ(app->documents()[1]->fileName(), "first.txt");
    EXPECT_EQ(app->documents()[2]->fileName(), "second.txt");
    EXPECT_EQ(app->documents().activeIndex(), 2);
}

TEST_F(SessionTest, SidebarAndPanelStateSurviveARestart)
{
    {
        AppDelegate &a = launch();
        a.window().showPane("search");
        a.window().toggleSidebar();
        a.window().setPanelHidden(false);
        a.willTerminate();
    }
    app.reset();
    AppDelegate &a = launch();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !a.window().isPanelHidden(); }));
    EXPECT_TRUE(a.window().isSidebarHidden());
    EXPECT_EQ(Defaults::sidebarMode(), "search");
    a.window().showPane("explorer");
    EXPECT_FALSE(a.window().isSidebarHidden());
    EXPECT_GE(a.window().split()->sizes().value(0), 160);
}

TEST_F(SessionTest, QuitWithOneDirtyDocumentNamesIt)
{
    Defaults::set(Defaults::OpenFiles, QStringList { file("notes.md"), file("clean.txt") });
    AppDelegate &a = launch();
    type(a.documents()[0], "edit");
    a.requestQuit();
    ASSERT_TRUE(a.window().card());
    EXPECT_EQ(cardTexts().value(0), "Save changes to notes.md?");
    EXPECT_EQ(cardTexts().value(1), "Your changes will be lost if you don't save them.");
}

TEST_F(SessionTest, QuitWithThreeDirtyDocumentsCountsThemAndCancelKeepsEverything)
{
    Defaults::set(Defaults::OpenFiles, QStringList { file("a.txt"), file("b.txt"), file("c.txt") });
    AppDelegate &a = launch();
    for (const DocumentPtr &document : a.documents())
        type(document, "x");
    a.requestQuit();
    ASSERT_TRUE(a.window().card());
    EXPECT_EQ(cardTexts().value(0), "Save changes to 3 files?");
    ASSERT_TRUE(pressCardButton("Cancel"));
    EXPECT_FALSE(a.window().card());
    EXPECT_EQ(a.documents().dirtyDocuments().size(), 3u);
    EXPECT_TRUE(a.window().mainWindow()->isVisible());
    EXPECT_EQ(a.documents()[0]->textView->buffer()->text(), "xtext\n");
}

TEST_F(SessionTest, SaveAllInTheQuitCardWritesEveryFile)
{
    Defaults::set(Defaults::OpenFiles, QStringList { file("a.txt"), file("b.txt") });
    AppDelegate &a = launch();
    type(a.documents()[0], "1");
    type(a.documents()[1], "2");
    a.windowShouldClose();
    ASSERT_TRUE(a.window().card());
    ASSERT_TRUE(pressCardButton("Save All"));
    EXPECT_EQ(testsupport::readFile(dir.filePath("a.txt")), "1text\n");
    EXPECT_EQ(testsupport::readFile(dir.filePath("b.txt")), "2text\n");
    EXPECT_TRUE(a.documents().dirtyDocuments().empty());
}

TEST_F(SessionTest, ASecondNoteKeepsItsOwnFiveSeconds)
{
    AppDelegate &a = launch();
    a.window().showNote("first");
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(testsupport::waitUntil([&] { return clock.elapsed() > 3000; }, 4000));
    a.window().showNote("second");
    // The first note's timer fires at 5 s and must leave the second in place.
    ASSERT_TRUE(testsupport::waitUntil([&] { return clock.elapsed() > 6000; }, 4000));
    EXPECT_EQ(a.window().statusText().value_or(""), "second");
    EXPECT_TRUE(a.window().mainWindow()->windowTitle().endsWith(" — second"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !a.window().statusText(); }, 3000));
    EXPECT_GE(clock.elapsed(), 7900);
}
