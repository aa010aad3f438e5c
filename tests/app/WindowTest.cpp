#include "AppFixture.h"

#include "git/GitLogView.h"

#include "app/SingleInstance.h"
#include "chrome/ActivityBarView.h"
#include "chrome/ActivityButton.h"
#include "chrome/BlameButton.h"
#include "chrome/FileHoverCard.h"
#include "chrome/HoverCards.h"
#include "chrome/StatusBarView.h"
#include "chrome/TabStripView.h"
#include "command/OutputPanelView.h"
#include "common/ElidedLabel.h"
#include "common/Defaults.h"
#include "navigation/ExplorerView.h"
#include "navigation/SearchRun.h"
#include "navigation/SearchView.h"

#include <QLabel>
#include <QSplitter>
#include <QTextLayout>
#include <QTest>
#include <QTemporaryDir>

class WindowTest : public AppFixture {
protected:
    // Writes a file into the test folder's repository and commits it, as Ada unless told.
    void commitFile(const QString &name, const QByteArray &bytes, const QString &message, const QString &author = {})
    {
        if (!QFileInfo::exists(dir.filePath(".git")))
            git({ "init", "-q" });
        file(name, bytes);
        git({ "add", name });
        QStringList commit { "commit", "-q", "-m", message };
        if (!author.isEmpty())
            commit << "--author=" + author;
        git(commit);
    }
};

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

// What a label puts on screen: its whole text, or an elided one.
QString drawnText(const QLabel *label)
{
    if (const auto *elided = qobject_cast<const ElidedLabel *>(label))
        return elided->shownText();
    return label->text();
}

// Whether the editor's layout gives the character at `position` a colour of its own.
bool hasColour(const EditorTextView &view, qsizetype position)
{
    const qsizetype line = view.buffer()->lineAt(position);
    const qsizetype offset = position - view.buffer()->lineStart(line);
    for (const QTextLayout::FormatRange &range : view.lineFormats(line))
        if (offset >= range.start && offset < range.start + range.length)
            return true;
    return false;
}

}

TEST_F(WindowTest, SplitLimitsHoldTheSidebarAndThePanel)
{
    AppDelegate &a = launch();
    a.window().setPanelHidden(false);
    QApplication::processEvents();
    dragDivider(a.window().split(), 600);
    EXPECT_EQ(a.window().split()->sizes().value(0), 520);
    dragDivider(a.window().split(), -300);
    EXPECT_NEAR(a.window().split()->sizes().value(0), 220, 3);
    dragDivider(a.window().split(), -65);
    EXPECT_EQ(a.window().split()->sizes().value(0), 160);
    dragDivider(a.window().rightSplit(), -1000);
    EXPECT_EQ(a.window().rightSplit()->sizes().value(0), 120);
    dragDivider(a.window().rightSplit(), a.window().rightSplit()->sizes().value(1) - 70);
    EXPECT_EQ(a.window().rightSplit()->sizes().value(1), 80);
    dragDivider(a.window().rightSplit(), 1000); // the panel collapses, which hides it
    EXPECT_TRUE(a.window().isPanelHidden());
    EXPECT_TRUE(Defaults::panelHidden());
}

TEST_F(WindowTest, DraggingTheSidebarShutHidesIt)
{
    AppDelegate &a = launch();
    QApplication::processEvents();
    dragDivider(a.window().split(), -175);
    EXPECT_TRUE(a.window().isSidebarHidden());
    EXPECT_TRUE(Defaults::explorerHidden());
    EXPECT_FALSE(a.window().activityBar()->button("explorer")->isActive());
}

TEST_F(WindowTest, GrowingTheWindowKeepsSidebarWidthAndPanelHeight)
{
    AppDelegate &a = launch();
    a.window().setPanelHidden(false);
    QApplication::processEvents();
    const int sidebar = a.window().split()->sizes().value(0);
    const int panel = a.window().rightSplit()->sizes().value(1);
    a.window().mainWindow()->resize(1300, 900);
    QApplication::processEvents();
    EXPECT_EQ(a.window().split()->sizes().value(0), sidebar);
    EXPECT_EQ(a.window().rightSplit()->sizes().value(1), panel);
}

TEST_F(WindowTest, ShowingThePanelGivesItTwoHundredPoints)
{
    AppDelegate &a = launch();
    EXPECT_TRUE(a.window().isPanelHidden());
    a.window().setPanelHidden(false);
    EXPECT_FALSE(Defaults::panelHidden());
    EXPECT_EQ(a.window().rightSplit()->sizes().value(1), 200);
    a.window().setPanelHidden(true);
    EXPECT_TRUE(Defaults::panelHidden());
}

TEST_F(WindowTest, ActivityBarFollowsTheSidebar)
{
    AppDelegate &a = launch();
    a.window().showPane("git");
    EXPECT_TRUE(a.window().activityBar()->button("git")->isActive());
    EXPECT_FALSE(a.window().activityBar()->button("explorer")->isActive());
    EXPECT_FALSE(a.window().explorer()->isVisibleTo(a.window().sidebar()));
    EXPECT_TRUE(a.window().gitLog()->isVisibleTo(a.window().sidebar()));
    a.window().toggleSidebar();
    for (const char *mode : { "explorer", "git", "search", "ssh" })
        EXPECT_FALSE(a.window().activityBar()->button(mode)->isActive()) << mode;
    EXPECT_TRUE(Defaults::explorerHidden());
    a.window().showPane("explorer");
    EXPECT_TRUE(a.window().activityBar()->button("explorer")->isActive());
    EXPECT_FALSE(Defaults::explorerHidden());
}

TEST_F(WindowTest, UnknownStoredModeLeavesEveryButtonInactive)
{
    Defaults::set(Defaults::SidebarMode, QStringLiteral("nonsense"));
    AppDelegate &a = launch();
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.window().mainWindow()->isVisible(); }));
    QApplication::processEvents();
    for (const char *mode : { "explorer", "git", "search", "ssh" })
        EXPECT_FALSE(a.window().activityBar()->button(mode)->isActive()) << mode;
}

TEST_F(WindowTest, TitleShowsTheFileTheEditedMarkAndTheDiskNote)
{
    AppDelegate &a = launch();
    const QString path = file("main.cpp");
    a.documents().loadDocument(path, false, true, true);
    EXPECT_EQ(a.window().mainWindow()->windowTitle(), "main.cpp[*]");
    EXPECT_FALSE(a.window().mainWindow()->isWindowModified());
    type(a.documents()[0], "x");
    EXPECT_TRUE(a.window().mainWindow()->isWindowModified());
    QFile::remove(path);
    a.window().updateTitle();
    EXPECT_TRUE(a.window().mainWindow()->windowTitle().startsWith("main.cpp[*] — Deleted on disk — "));
    EXPECT_TRUE(a.window().subtitleLabel()->text().startsWith("Deleted on disk"));
    // Saving puts the file back and clears the note.
    EXPECT_TRUE(a.documents().saveFile(a.documents()[0], false));
    EXPECT_EQ(a.window().mainWindow()->windowTitle(), "main.cpp[*]");
}

TEST_F(WindowTest, BecomingActiveReloadsCleanFilesAndMarksDirtyOnes)
{
    const QString clean = file("clean.txt", "old\n");
    const QString dirty = file("dirty.txt", "old\n");
    Defaults::set(Defaults::OpenFiles, QStringList { clean, dirty });
    AppDelegate &a = launch();
    type(a.documents()[1], "mine ");
    const QDateTime later = QDateTime::currentDateTime().addSecs(5);
    for (const QString &path : { clean, dirty }) {
        testsupport::writeFile(dir, QFileInfo(path).fileName(), "theirs\n");
        QFile touched(path);
        ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
        touched.setFileTime(later, QFileDevice::FileModificationTime);
    }
    a.didBecomeActive();
    EXPECT_EQ(a.documents()[0]->textView->buffer()->text(), "theirs\n");
    EXPECT_FALSE(a.documents()[0]->isDirty);
    EXPECT_EQ(a.documents()[1]->textView->buffer()->text(), "mine old\n");
    EXPECT_TRUE(a.documents()[1]->changedOnDisk);
    a.tabs().activateDocument(1, true);
    EXPECT_TRUE(a.window().mainWindow()->windowTitle().endsWith("Changed on disk — saving will ask what to do"));
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

TEST_F(WindowTest, KeyboardScrollingInALargeFileColoursWhatComesOnScreen)
{
    QByteArray text;
    while (text.size() < 200'000)
        text += "int value = compute(1, \"two\"); // three\n";
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(file("big.cpp", text), false, true, true));
    EditorTextView *view = a.documents()[0]->textView;
    ASSERT_TRUE(testsupport::waitUntil([&] { return hasColour(*view, 0); }));
    // The text ends with a line break: its last line is empty.
    const qsizetype lastLine = view->buffer()->lineStart(view->buffer()->lineCount() - 2);
    ASSERT_FALSE(hasColour(*view, lastLine));

    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_TRUE(testsupport::waitUntil([&] { return hasColour(*view, lastLine); }));
}

TEST_F(WindowTest, ControlEqualsMakesTheFontBiggerLikeControlPlus)
{
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(file("notes.txt"), false, true, true));
    a.window().mainWindow()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(a.window().mainWindow()));
    EditorTextView *view = a.documents()[0]->textView;
    QTest::keyClick(view, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 12);
    EXPECT_EQ(view->font().pointSizeF(), 12);
    QTest::keyClick(view, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 13);
    QTest::keyClick(view, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 12);
}

TEST_F(WindowTest, WithoutADocumentTheStatusBarIsEmpty)
{
    AppDelegate &a = launch();
    a.window().refreshStatusBar();
    EXPECT_EQ(a.window().statusBar()->leftText(), "");
    EXPECT_EQ(a.window().statusBar()->rightText(), "");
    ASSERT_TRUE(a.documents().loadDocument(file("notes.txt"), false, true, true));
    EXPECT_EQ(a.window().statusBar()->rightText(), "Spaces: 2   UTF-8");
    a.tabs().closeTab(0);
    QApplication::processEvents();
    EXPECT_EQ(a.window().statusBar()->leftText(), "");
    EXPECT_EQ(a.window().statusBar()->rightText(), "");
    EXPECT_FALSE(a.window().statusBar()->blameItem()->isVisibleTo(a.window().statusBar()));
}

TEST_F(WindowTest, PositionAndBlameNameTheLineTheSelectionStartsOn)
{
    if (!QFileInfo(QStringLiteral("/usr/bin/git")).isExecutable())
        GTEST_SKIP() << "git is not installed";
    commitFile("tool.py", "first = 1\nsecond = 2\n", "Add the tool");
    commitFile("tool.py", "first = 1\nsecond = 3\n", "Raise the second", "Bob Builder <bob@example.org>");
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(dir.filePath("tool.py"), false, true, true));
    EditorTextView *view = a.documents()[0]->textView;
    const auto blame = [&] { return a.window().statusBar()->blameItem()->text(); };
    ASSERT_TRUE(testsupport::waitUntil([&] { return blame().startsWith("now Ada"); }, 15000));

    // Selected downwards the caret ends on the second line, upwards on the first; either way the
    // selection starts on the first.
    for (const auto &[anchor, caret] : { std::pair(2, 14), std::pair(14, 2) }) {
        view->setSelection(anchor, caret);
        QApplication::processEvents();
        EXPECT_EQ(a.window().statusBar()->leftText(), "Ln 1, Col 3 (12 selected)");
        EXPECT_TRUE(blame().startsWith("now Ada")) << blame().toStdString();
        ASSERT_TRUE(view->annotation.has_value());
        EXPECT_EQ(view->buffer()->lineAt(view->annotation->location), 0);
    }

    // Nothing selected on the second line: Bob's.
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Up);
    QApplication::processEvents();
    EXPECT_EQ(a.window().statusBar()->leftText(), "Ln 2, Col 1");
    EXPECT_TRUE(blame().startsWith("now Bob")) << blame().toStdString();
}

TEST_F(WindowTest, TheTabCardShowsTheFilesLastCommit)
{
    if (!QFileInfo(QStringLiteral("/usr/bin/git")).isExecutable())
        GTEST_SKIP() << "git is not installed";
    commitFile("tool.py", "first = 1\n", "Add the tool");
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(dir.filePath("tool.py"), false, true, true));
    const auto shownCommit = [&] {
        const FileHoverCard *card = a.window().hoverCards()->card();
        return card ? card->info().commit : QString();
    };
    a.window().tabStrip()->onHover(0, a.window().tabStrip()->tabView(0));
    ASSERT_TRUE(testsupport::waitUntil([&] { return shownCommit().startsWith("Last commit: "); }, 15000))
        << shownCommit().toStdString();
    EXPECT_TRUE(shownCommit().endsWith(" \u00B7 Add the tool")) << shownCommit().toStdString();

    // Unsaved: the card says so first, then the commit.
    a.window().hoverCards()->hide();
    type(a.documents()[0], "# ");
    a.window().tabStrip()->onHover(0, a.window().tabStrip()->tabView(0));
    ASSERT_TRUE(testsupport::waitUntil([&] { return shownCommit().startsWith("Unsaved changes \u00B7 Last commit: "); }, 15000))
        << shownCommit().toStdString();
}

TEST_F(WindowTest, SidebarTextsAtTheDefaultWidthEndInAnEllipsisRatherThanMidWord)
{
    AppDelegate &a = launch();
    a.window().explorer()->setRoot(dir.path(), true, true);
    a.window().showPane("search");
    a.window().searchView()->summaryLabel()->setText(SearchRun::summaryText(SearchRun::Ending::Capped, 2000, 1234));
    QApplication::processEvents();
    ASSERT_EQ(a.window().split()->sizes().value(0), 180);
    const auto check = [](const QLabel *label) {
        SCOPED_TRACE(label->text().toStdString());
        ASSERT_TRUE(label->isVisible());
        const QString drawn = drawnText(label);
        EXPECT_LE(label->fontMetrics().horizontalAdvance(drawn), label->contentsRect().width());
        EXPECT_TRUE(drawn == label->text() || drawn.endsWith(QChar(0x2026))) << drawn.toStdString();
    };
    check(a.window().searchView()->scopeLabel());
    check(a.window().searchView()->summaryLabel());
    a.window().showPane("explorer");
    QApplication::processEvents();
    check(a.window().explorer()->noteLabel());
    check(a.window().explorer()->rootLabel());
    EXPECT_NE(drawnText(a.window().searchView()->summaryLabel()), a.window().searchView()->summaryLabel()->text()) << "too long for 180 points";
}
