#include "AppFixture.h"

#include "app/EditorHost.h"
#include "app/HistoryController.h"
#include "chrome/StatusBarView.h"
#include "editor/EditorTextView.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>

#include <QProcess>
#include <QTest>

// Stepping through a file's committed versions in a real git repository.
class HistoryTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        if (!QFileInfo(QStringLiteral("/usr/bin/git")).isExecutable())
            GTEST_SKIP() << "git is not installed";
        git({ "init", "-q" });
        for (const char *version : { "one\n", "two\n", "three\n" }) {
            file("notes.txt", version);
            git({ "add", "notes.txt" });
            git({ "commit", "-q", "-m", QString("Write ") + QString(version).trimmed() });
        }
    }

    // The text the editor area shows now.
    QString shownText() const
    {
        auto *view = qobject_cast<EditorTextView *>(app->window().scrollView()->current());
        return view ? view->buffer()->text() : QString();
    }

    bool waitForIndex(const DocumentPtr &document, std::optional<int> index)
    {
        return testsupport::waitUntil([&] { return document->historyIndex == index; }, 15000);
    }
};

TEST_F(HistoryTest, StepsSkipTheVersionEqualToTheLiveTextAndComeBackToIt)
{
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(dir.filePath("notes.txt"), false, true, true));
    const DocumentPtr document = a.documents()[0];
    document->textView->setCaretPosition(document->textView->buffer()->length()); // the live caret on line 2
    a.history().step(-1); // newer on the live text does nothing
    a.history().step(1);
    ASSERT_TRUE(waitForIndex(document, 1));
    EXPECT_EQ(shownText(), "two\n");
    EXPECT_TRUE(a.history().view()->isReadOnly());
    // The edit menu copies from the version on show, not from the live text behind it.
    a.window().mainWindow()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(a.window().mainWindow()));
    a.history().view()->setFocus();
    for (const QString title : { "Select All", "Copy" })
        for (QAction *action : a.window().mainWindow()->findChildren<QAction *>())
            if (action->text() == title)
                action->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "two\n");
    EXPECT_TRUE(a.window().subtitleLabel()->text().contains(" · just now · Write two  —  Ctrl+] newer · Esc back"))
        << a.window().subtitleLabel()->text().toStdString();

    a.history().step(1);
    ASSERT_TRUE(waitForIndex(document, 2));
    EXPECT_EQ(shownText(), "one\n");
    // The caret shown is the version's own.
    a.window().refreshStatusBar();
    EXPECT_TRUE(a.window().statusBar()->leftText().startsWith("Ln 1, Col 1")) << a.window().statusBar()->leftText().toStdString();
    a.history().step(1);
    EXPECT_TRUE(testsupport::waitUntil([&] { return a.window().statusText() == "That is the oldest version"; }, 15000));

    a.history().step(-1);
    ASSERT_TRUE(waitForIndex(document, 1));
    a.history().step(-1);
    ASSERT_TRUE(waitForIndex(document, 0));
    EXPECT_EQ(shownText(), "three\n");
    a.history().step(-1);
    EXPECT_FALSE(document->historyIndex);
    EXPECT_EQ(a.window().scrollView()->current(), document->textView);
    EXPECT_EQ(document->textView->buffer()->text(), "three\n"); // the live document was never touched
}

TEST_F(HistoryTest, EscapeReturnsAndSavingAsksForTheVersionsAgain)
{
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(dir.filePath("notes.txt"), false, true, true));
    const DocumentPtr document = a.documents()[0];
    a.history().step(1);
    ASSERT_TRUE(waitForIndex(document, 1));
    QTest::keyClick(a.history().view(), Qt::Key_Escape);
    EXPECT_FALSE(document->historyIndex);
    EXPECT_EQ(a.window().scrollView()->current(), document->textView);

    // A new commit after a save is found: the list of versions is read again.
    ASSERT_TRUE(document->revisions.has_value());
    type(document, "four ");
    ASSERT_TRUE(a.documents().saveFile(document, false));
    EXPECT_FALSE(document->revisions.has_value());
    git({ "commit", "-q", "-am", "Write four" });
    a.history().step(1);
    ASSERT_TRUE(waitForIndex(document, 1));
    EXPECT_EQ(shownText(), "three\n");
    EXPECT_EQ(document->revisions->size(), 4);
}

TEST_F(HistoryTest, AnotherTabTakenWhileAVersionLoadsStaysAsItIs)
{
    file("plain.txt", "not in git\n");
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(dir.filePath("notes.txt"), false, true, true));
    const DocumentPtr notes = a.documents()[0];
    a.history().step(1);
    ASSERT_TRUE(waitForIndex(notes, 1));
    a.history().step(1); // loading version 2 ...
    ASSERT_TRUE(a.documents().loadDocument(dir.filePath("plain.txt"), false, true, true)); // ... while another tab opens
    const DocumentPtr plain = a.documents().activeDocument();
    testsupport::waitUntil([] { return false; }, 500);
    EXPECT_EQ(a.window().scrollView()->current(), plain->textView);
    EXPECT_FALSE(notes->historyIndex);

    git({ "add", "plain.txt" });
    a.history().step(1);
    EXPECT_TRUE(testsupport::waitUntil([&] { return a.window().statusText() == "No git history for this file"; }, 15000));
    EXPECT_FALSE(plain->historyIndex);
}
