#include "AppFixture.h"

#include "app/BlameController.h"
#include "app/HistoryController.h"
#include "app/FileOperationsController.h"

#include "chrome/BlameButton.h"
#include "chrome/StatusBarView.h"
#include "common/Defaults.h"
#include "git/BlameHoverCard.h"
#include "app/EditorHost.h"
#include "git/CommitListModel.h"
#include "git/CommitView.h"
#include "git/DocumentBlame.h"
#include "git/GitLogView.h"

#include <QListView>
#include <QTest>

#include <QElapsedTimer>
#include <QProcess>

// The caret line's blame in a real git repository.
class CaretBlameTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        if (!QFileInfo(QStringLiteral("/usr/bin/git")).isExecutable())
            GTEST_SKIP() << "git is not installed";
        git({ "init", "-q" });
        file("tool.py", "first = 1\nsecond = 2\n");
        git({ "add", "tool.py" });
        git({ "commit", "-q", "-m", "Add the tool" });
    }

    QString shownBlame() const { return app->window().statusBar()->blameItem()->isVisibleTo(app->window().statusBar()) ? app->window().statusBar()->blameItem()->text() : QString(); }
};

TEST_F(CaretBlameTest, TheCaretLineShowsWhoChangedItAndTheSummary)
{
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(dir.filePath("tool.py"), false, true, true));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !shownBlame().isEmpty(); }, 15000));
    EXPECT_EQ(shownBlame(), "now Ada Lov…");
    EditorTextView *view = a.documents()[0]->textView;
    ASSERT_TRUE(view->annotation.has_value());
    EXPECT_EQ(view->annotation->text, "now Ada Lov… Add the tool");
}

TEST_F(CaretBlameTest, AnEditedLineIsUncommittedWithoutAnAnnotation)
{
    AppDelegate &a = launch();
    a.documents().loadDocument(dir.filePath("tool.py"), false, true, true);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !shownBlame().isEmpty(); }, 15000));
    type(a.documents()[0], "changed ");
    ASSERT_TRUE(testsupport::waitUntil([&] { return shownBlame() == "Uncommitted"; }, 15000));
    EXPECT_FALSE(a.documents()[0]->textView->annotation.has_value());
    // The line below keeps its commit.
    EditorTextView *view = a.documents()[0]->textView;
    view->setCaretPosition(view->buffer()->lineStart(1));
    ASSERT_TRUE(testsupport::waitUntil([&] { return shownBlame() == "now Ada Lov…"; }, 15000));
    a.blame().showDetails();
    ASSERT_TRUE(a.window().card());
    EXPECT_EQ(cardTexts().value(0), "Add the tool");
}

TEST_F(CaretBlameTest, AnotherTabTakesTheAnnotationOffTheOneLeft)
{
    file("other.py", "other = 1\n");
    git({ "add", "other.py" });
    git({ "commit", "-q", "-m", "Add the other" });
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(dir.filePath("tool.py"), false, true, true));
    EditorTextView *left = a.documents()[0]->textView;
    ASSERT_TRUE(testsupport::waitUntil([&] { return left->annotation.has_value(); }, 15000));
    ASSERT_TRUE(a.documents().loadDocument(dir.filePath("other.py"), false, true, true));
    EXPECT_FALSE(left->annotation.has_value());
    EditorTextView *taken = a.documents().activeDocument()->textView;
    ASSERT_TRUE(testsupport::waitUntil([&] { return taken->annotation.has_value(); }, 15000));
    EXPECT_EQ(taken->annotation->text, "now Ada Lov… Add the other");
    EXPECT_EQ(a.blame().caretInfo()->summary, "Add the other");
}

TEST_F(CaretBlameTest, WithInlineBlameOffOnlyTheStatusBarShowsIt)
{
    Defaults::set(Defaults::InlineBlame, false);
    AppDelegate &a = launch();
    a.documents().loadDocument(dir.filePath("tool.py"), false, true, true);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !shownBlame().isEmpty(); }, 15000));
    EXPECT_FALSE(a.documents()[0]->textView->annotation.has_value());
}

TEST_F(CaretBlameTest, AFileOutsideAnyRepositoryShowsNothing)
{
    QTemporaryDir elsewhere;
    const QString loose = testsupport::writeFile(elsewhere, "loose.txt", "x\n");
    AppDelegate &a = launch();
    a.documents().loadDocument(loose, false, true, true);
    QElapsedTimer clock;
    clock.start();
    testsupport::waitUntil([&] { return clock.elapsed() > 1500; }, 3000);
    EXPECT_TRUE(shownBlame().isEmpty());
    EXPECT_TRUE(a.documents()[0]->blame->hasFailed());
}

TEST_F(CaretBlameTest, RestingOnTheAnnotationShowsTheHoverCardWithTheFullMessage)
{
    file("tool.py", "first = 1\nsecond = 2\nthird = 3\n");
    git({ "commit", "-q", "-a", "-m", "Add a third line\n\nIt explains itself at length." });
    AppDelegate &a = launch();
    a.documents().loadDocument(dir.filePath("tool.py"), false, true, true);
    EditorTextView *view = a.documents()[0]->textView;
    view->setCaretPosition(view->buffer()->lineStart(2));
    ASSERT_TRUE(testsupport::waitUntil([&] { return view->annotation.has_value(); }, 15000));
    view->onAnnotationHover(QRect(200, 40, 120, 16));
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.blame().hoverCard(); }, 3000));
    EXPECT_EQ(a.blame().hoverCard()->info().summary, "Add a third line");
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.blame().knownMessage(a.blame().hoverCard()->info().sha).has_value(); }, 10000));
    EXPECT_EQ(a.blame().knownMessage(a.blame().hoverCard()->info().sha), "Add a third line\n\nIt explains itself at length.");
    // Leaving the annotation takes the card down a moment later.
    view->onAnnotationHover(std::nullopt);
    EXPECT_TRUE(testsupport::waitUntil([&] { return !a.blame().hoverCard(); }, 3000));
}

// The commit view over the editor: from the blame card and from the git log pane.
TEST_F(CaretBlameTest, ShowCommitOpensTheCommitViewAndEscapeCloseTabOrAnotherTabClosesIt)
{
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(dir.filePath("tool.py"), false, true, true));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !shownBlame().isEmpty(); }, 15000));
    // As the blame hover card's "Show Commit" asks, from the file's own folder.
    a.history().showCommit(dir.path(), a.blame().caretInfo()->sha);
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.history().isCommitViewShown(); }, 15000));
    EXPECT_EQ(a.history().shownCommit()->subject, "Add the tool");
    EXPECT_FALSE(a.window().scrollView()->isVisible());

    QTest::keyClick(a.history().commitView(), Qt::Key_Escape);
    EXPECT_FALSE(a.history().isCommitViewShown());
    EXPECT_TRUE(a.window().scrollView()->isVisible());

    // Close Tab closes the view first, then the tab; activating a tab closes it too.
    a.history().showCommit(dir.path(), a.blame().caretInfo()->sha);
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.history().isCommitViewShown(); }, 15000));
    a.tabs().closeTabOrWindow();
    EXPECT_FALSE(a.history().isCommitViewShown());
    EXPECT_EQ(a.documents().size(), 1u);
    a.history().showCommit(dir.path(), a.blame().caretInfo()->sha);
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.history().isCommitViewShown(); }, 15000));
    a.tabs().activateDocument(0, true);
    EXPECT_FALSE(a.history().isCommitViewShown());

    a.history().showCommit(dir.path(), "0123456789abcdef0123456789abcdef01234567");
    EXPECT_TRUE(testsupport::waitUntil([&] { return a.window().statusText() == "Couldn't find that commit"; }, 15000));
    EXPECT_FALSE(a.history().isCommitViewShown());
}

TEST_F(CaretBlameTest, TheGitPaneListsTheWorkspaceAndOpensACommit)
{
    AppDelegate &a = launch();
    a.fileOperations().setWorkspace(dir.path());
    a.window().showPane("git");
    CommitListModel *rows = a.window().gitLog()->model();
    ASSERT_TRUE(testsupport::waitUntil([&] { return rows->rowCount() >= 1; }, 15000));
    const QModelIndex first = rows->index(0, 0);
    a.window().gitLog()->table()->setCurrentIndex(first);
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.history().isCommitViewShown(); }, 15000));
    EXPECT_EQ(a.history().shownCommit()->subject, "Add the tool");
}
