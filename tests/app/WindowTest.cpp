#include "AppFixture.h"

#include "git/GitLogView.h"

#include "app/SingleInstance.h"
#include "chrome/ActivityBarView.h"
#include "chrome/ActivityButton.h"
#include "command/OutputPanelView.h"
#include "common/Defaults.h"
#include "navigation/ExplorerView.h"

#include <QLabel>
#include <QSplitter>
#include <QTest>
#include <QTemporaryDir>

using WindowTest = AppFixture;

namespace {

// Drags a split's divider by the given distance, as the mouse would.
void dragDivider(QSplitter *split, int distance)
{
    QSplitterHandle *handle = split->handle(1);
    const QPoint start(handle->width() / 2, handle->height() / 2);
    const QPoint step = split->orientation() == Qt::Horizontal ? QPoint(distance, 0) : QPoint(0, distance);
    QTest::mousePress(handle, Qt::LeftButton, {}, start);
    QTest::mouseMove(handle, start + step);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, start + step);
    QApplication::processEvents();
}

}

TEST_F(WindowTest, SplitLimitsHoldTheSidebarAndThePanel)
{
    AppDelegate &a = launch();
    a.setPanelHidden(false);
    QApplication::processEvents();
    dragDivider(a.split, 600);
    EXPECT_EQ(a.split->sizes().value(0), 520);
    dragDivider(a.split, -300);
    EXPECT_NEAR(a.split->sizes().value(0), 220, 3);
    dragDivider(a.split, -65);
    EXPECT_EQ(a.split->sizes().value(0), 160);
    dragDivider(a.rightSplit, -1000);
    EXPECT_EQ(a.rightSplit->sizes().value(0), 120);
    dragDivider(a.rightSplit, a.rightSplit->sizes().value(1) - 70);
    EXPECT_EQ(a.rightSplit->sizes().value(1), 80);
    dragDivider(a.rightSplit, 1000); // the panel collapses, which hides it
    EXPECT_TRUE(a.isPanelHidden());
    EXPECT_TRUE(Defaults::panelHidden());
}

TEST_F(WindowTest, DraggingTheSidebarShutHidesIt)
{
    AppDelegate &a = launch();
    QApplication::processEvents();
    dragDivider(a.split, -175);
    EXPECT_TRUE(a.isSidebarHidden());
    EXPECT_TRUE(Defaults::explorerHidden());
    EXPECT_FALSE(a.activityBar->button("explorer")->isActive());
}

TEST_F(WindowTest, GrowingTheWindowKeepsSidebarWidthAndPanelHeight)
{
    AppDelegate &a = launch();
    a.setPanelHidden(false);
    QApplication::processEvents();
    const int sidebar = a.split->sizes().value(0);
    const int panel = a.rightSplit->sizes().value(1);
    a.window->resize(1300, 900);
    QApplication::processEvents();
    EXPECT_EQ(a.split->sizes().value(0), sidebar);
    EXPECT_EQ(a.rightSplit->sizes().value(1), panel);
}

TEST_F(WindowTest, ShowingThePanelGivesItTwoHundredPoints)
{
    AppDelegate &a = launch();
    EXPECT_TRUE(a.isPanelHidden());
    a.setPanelHidden(false);
    EXPECT_FALSE(Defaults::panelHidden());
    EXPECT_EQ(a.rightSplit->sizes().value(1), 200);
    a.setPanelHidden(true);
    EXPECT_TRUE(Defaults::panelHidden());
}

TEST_F(WindowTest, ActivityBarFollowsTheSidebar)
{
    AppDelegate &a = launch();
    a.showPane("git");
    EXPECT_TRUE(a.activityBar->button("git")->isActive());
    EXPECT_FALSE(a.activityBar->button("explorer")->isActive());
    EXPECT_FALSE(a.explorer->isVisibleTo(a.sidebar));
    EXPECT_TRUE(a.gitLog->isVisibleTo(a.sidebar));
    a.toggleSidebar();
    for (const char *mode : { "explorer", "git", "search", "ssh" })
        EXPECT_FALSE(a.activityBar->button(mode)->isActive()) << mode;
    EXPECT_TRUE(Defaults::explorerHidden());
    a.showPane("explorer");
    EXPECT_TRUE(a.activityBar->button("explorer")->isActive());
    EXPECT_FALSE(Defaults::explorerHidden());
}

TEST_F(WindowTest, UnknownStoredModeLeavesEveryButtonInactive)
{
    Defaults::set(Defaults::SidebarMode, QStringLiteral("nonsense"));
    AppDelegate &a = launch();
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.window->isVisible(); }));
    QApplication::processEvents();
    for (const char *mode : { "explorer", "git", "search", "ssh" })
        EXPECT_FALSE(a.activityBar->button(mode)->isActive()) << mode;
}

TEST_F(WindowTest, TitleShowsTheFileTheEditedMarkAndTheDiskNote)
{
    AppDelegate &a = launch();
    const QString path = file("main.cpp");
    a.loadDocument(path, false, true, true);
    EXPECT_EQ(a.window->windowTitle(), "main.cpp[*]");
    EXPECT_FALSE(a.window->isWindowModified());
    type(a.documents[0], "x");
    EXPECT_TRUE(a.window->isWindowModified());
    QFile::remove(path);
    a.updateTitle();
    EXPECT_TRUE(a.window->windowTitle().startsWith("main.cpp[*] — Deleted on disk — "));
    EXPECT_TRUE(a.subtitleLabel->text().startsWith("Deleted on disk"));
    // Saving puts the file back and clears the note.
    EXPECT_TRUE(a.saveFile(a.documents[0], false));
    EXPECT_EQ(a.window->windowTitle(), "main.cpp[*]");
}

TEST_F(WindowTest, BecomingActiveReloadsCleanFilesAndMarksDirtyOnes)
{
    const QString clean = file("clean.txt", "old\n");
    const QString dirty = file("dirty.txt", "old\n");
    Defaults::set(Defaults::OpenFiles, QStringList { clean, dirty });
    AppDelegate &a = launch();
    type(a.documents[1], "mine ");
    const QDateTime later = QDateTime::currentDateTime().addSecs(5);
    for (const QString &path : { clean, dirty }) {
        testsupport::writeFile(dir, QFileInfo(path).fileName(), "theirs\n");
        QFile touched(path);
        ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
        touched.setFileTime(later, QFileDevice::FileModificationTime);
    }
    a.didBecomeActive();
    EXPECT_EQ(a.documents[0]->textView->toPlainText(), "theirs\n");
    EXPECT_FALSE(a.documents[0]->isDirty);
    EXPECT_EQ(a.documents[1]->textView->toPlainText(), "mine old\n");
    EXPECT_TRUE(a.documents[1]->changedOnDisk);
    a.activateDocument(1, true);
    EXPECT_TRUE(a.window->windowTitle().endsWith("Changed on disk — saving will ask what to do"));
}

TEST(SingleInstanceTest, ASecondLaunchHandsItsFilesToTheFirst)
{
    QTemporaryDir runtime;
    const QString socket = runtime.filePath("editor.socket");
    SingleInstance first(socket);
    ASSERT_TRUE(first.listen());
    QList<QUrl> received;
    first.onOpen = [&](const QList<QUrl> &urls) { received = urls; };
    // Only paths that exist are taken.
    const QList<QUrl> files { QUrl::fromLocalFile(testsupport::writeFile(runtime, "a b.txt", "x")),
                              QUrl::fromLocalFile(testsupport::writeFile(runtime, "é.txt", "x")) };
    SingleInstance second(socket);
    std::thread launcher([&] { EXPECT_TRUE(second.forward(files)); });
    EXPECT_TRUE(testsupport::waitUntil([&] { return !received.isEmpty(); }));
    launcher.join();
    EXPECT_EQ(received, files);
}

TEST(SingleInstanceTest, NobodyListeningMeansThisLaunchIsTheFirst)
{
    QTemporaryDir runtime;
    SingleInstance lone(runtime.filePath("none.socket"));
    EXPECT_FALSE(lone.forward({}, 200));
}
