#include "editor/FindBar.h"
#include "editor/EditorTextView.h"

#include "TestSupport.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace
{

using testsupport::waitUntil;
using Span = std::pair<int, int>;

class FindBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(window.get());
        bar = new FindBar(window.get());
        view = new EditorTextView(window.get());
        layout->addWidget(bar);
        layout->addWidget(view, 1);
        window->resize(600, 400);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        bar->setTextView(view);
        bar->onClose = [this] { ++closes; };
    }

    void load(const QString &text, int caret = 0)
    {
        view->setFileText(text);
        view->setCaretPosition(caret);
    }
    QLineEdit *field(const char *name) const { return bar->findChild<QLineEdit *>(name); }
    QToolButton *button(const char *name) const { return bar->findChild<QToolButton *>(name); }
    QString count() const { return bar->findChild<QLabel *>("countLabel")->text(); }
    Span selection() const
    {
        return { int(view->selectionStart()), int(view->selectionEnd()) };
    }
    void type(const QString &text) { QTest::keyClicks(field("findField"), text); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(field("findField"), key, modifiers);
    }

    std::unique_ptr<QWidget> window;
    FindBar *bar = nullptr;
    EditorTextView *view = nullptr;
    int closes = 0;
};

TEST_F(FindBarTest, TypingSelectsTheFirstMatchFromTheCaret)
{
    load(QStringLiteral("alpha beta alpha beta alpha"), 6);
    bar->showFind();
    type(QStringLiteral("alp"));
    EXPECT_EQ(selection(), Span(11, 14));
    EXPECT_EQ(count(), QStringLiteral("2 of 3"));
    // Narrowing keeps to the same place; a text that is nowhere leaves the caret where it began.
    type(QStringLiteral("ha"));
    EXPECT_EQ(selection(), Span(11, 16));
    type(QStringLiteral("x"));
    EXPECT_EQ(count(), QStringLiteral("No results"));
    EXPECT_EQ(selection(), Span(6, 6));
    // After the last match the search wraps to the first.
    load(view->buffer()->text(), 27);
    field("findField")->clear();
    type(QStringLiteral("beta"));
    EXPECT_EQ(selection(), Span(6, 10));
    EXPECT_EQ(count(), QStringLiteral("1 of 2"));
}

TEST_F(FindBarTest, ReturnAndShiftReturnStepWithWrapping)
{
    load(QStringLiteral("alpha beta alpha beta alpha"));
    bar->showFind();
    type(QStringLiteral("alpha"));
    EXPECT_EQ(selection(), Span(0, 5));
    press(Qt::Key_Return);
    EXPECT_EQ(selection(), Span(11, 16));
    EXPECT_EQ(count(), QStringLiteral("2 of 3"));
    press(Qt::Key_Return);
    EXPECT_EQ(selection(), Span(22, 27));
    press(Qt::Key_Return);
    EXPECT_EQ(selection(), Span(0, 5));
    EXPECT_EQ(count(), QStringLiteral("1 of 3"));
    press(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(selection(), Span(22, 27));
    EXPECT_EQ(count(), QStringLiteral("3 of 3"));
    // From a caret the user put elsewhere, the place is counted again.
    load(view->buffer()->text(), 8);
    bar->findPrevious();
    EXPECT_EQ(selection(), Span(0, 5));
    EXPECT_EQ(count(), QStringLiteral("1 of 3"));
}

TEST_F(FindBarTest, AMatchOutOfSightIsScrolledTo)
{
    QString text;
    for (int line = 0; line < 2000; ++line)
        text += line == 1500 ? QStringLiteral("the needle\n") : QStringLiteral("hay\n");
    load(text);
    bar->showFind();
    type(QStringLiteral("needle"));
    EXPECT_EQ(view->caretLine(), 1500);
    EXPECT_GT(view->verticalScrollBar()->value(), 1000);
    EXPECT_TRUE(view->viewport()->rect().contains(view->cursorRect()));
}

TEST_F(FindBarTest, EscapeClosesAndGivesTheFocusBack)
{
    // A window shortcut on Escape must not take it from the bar.
    QAction windowEscape(QStringLiteral("Elsewhere"));
    windowEscape.setShortcut(Qt::Key_Escape);
    window->addAction(&windowEscape);
    int elsewhere = 0;
    QObject::connect(&windowEscape, &QAction::triggered, [&elsewhere] { ++elsewhere; });
    load(QStringLiteral("text"));
    bar->showFind();
    ASSERT_TRUE(waitUntil([this] { return field("findField")->hasFocus(); }));
    press(Qt::Key_Escape);
    EXPECT_FALSE(bar->isOpen());
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(elsewhere, 0);
    EXPECT_TRUE(waitUntil([this] { return view->hasFocus(); }));

    bar->showReplace();
    button("closeButton")->click();
    EXPECT_FALSE(bar->isOpen());
    EXPECT_EQ(closes, 2);
}

TEST_F(FindBarTest, UseSelectionForFindThenFindNextWithTheBarClosed)
{
    load(QStringLiteral("x = a.b(c);\nnext a.b(c)"));
    bar->findNext();
    EXPECT_TRUE(bar->isOpen()) << "with nothing to find yet, the bar opens";
    bar->close();
    view->setSelection(4, 10);
    bar->useSelectionForFind();
    EXPECT_EQ(field("findField")->text(), QStringLiteral("a.b(c)"));
    bar->findNext();
    EXPECT_FALSE(bar->isOpen());
    EXPECT_EQ(selection(), Span(17, 23));
    // Escaped for a regular expression, it finds the same text; only a selection's first line.
    button("regexButton")->click();
    view->setSelection(4, 14);
    bar->useSelectionForFind();
    EXPECT_EQ(field("findField")->text(), QStringLiteral("a\\.b\\(c\\)\\;"));
    bar->showFind();
    EXPECT_EQ(count(), QStringLiteral("1 result"));
    view->setCaretPosition(14);
    bar->useSelectionForFind();
    EXPECT_EQ(field("findField")->text(), QStringLiteral("a\\.b\\(c\\)\\;"));
}

TEST_F(FindBarTest, CaseAndRegularExpressionOptions)
{
    load(QStringLiteral("Foo foo FOO"));
    bar->showFind();
    type(QStringLiteral("foo"));
    EXPECT_EQ(count(), QStringLiteral("1 of 3"));
    button("matchCaseButton")->click();
    EXPECT_EQ(selection(), Span(4, 7));
    EXPECT_EQ(count(), QStringLiteral("1 of 1"));
    button("regexButton")->click();
    type(QStringLiteral("("));
    EXPECT_EQ(count(), QStringLiteral("Invalid pattern"));
    EXPECT_FALSE(button("nextButton")->isEnabled());
    press(Qt::Key_Return);
    EXPECT_EQ(selection(), Span(4, 7));
}

TEST_F(FindBarTest, MatchesInSightAreTintedForDisplayOnly)
{
    load(QStringLiteral("cat dog cat\ncat"));
    bar->showFind();
    type(QStringLiteral("cat"));
    ASSERT_EQ(view->highlights().size(), 3);
    EXPECT_EQ(view->highlights()[2].start, 12);
    EXPECT_EQ(view->highlights()[2].length, 3);
    EXPECT_FALSE(view->buffer()->isModified());
    EXPECT_FALSE(view->buffer()->canUndo());
    bar->close();
    EXPECT_TRUE(view->highlights().isEmpty());
}

TEST_F(FindBarTest, EditsInTheViewAreCountedAgain)
{
    load(QStringLiteral("cat and cat"));
    bar->showFind();
    type(QStringLiteral("cat"));
    EXPECT_EQ(count(), QStringLiteral("1 of 2"));
    view->buffer()->insert(view->buffer()->length(), QStringLiteral(" cat"));
    EXPECT_TRUE(waitUntil([this] { return count() == QStringLiteral("1 of 3"); }));
    EXPECT_EQ(selection(), Span(0, 3));
}

TEST_F(FindBarTest, FollowsTheTextViewItIsGiven)
{
    load(QStringLiteral("cat"));
    bar->showFind();
    type(QStringLiteral("cat"));
    auto other = std::make_unique<EditorTextView>();
    other->setFileText(QStringLiteral("no cat here, or a cat there"));
    bar->setTextView(other.get());
    EXPECT_EQ(count(), QStringLiteral("2 results"));
    EXPECT_EQ(other->caretPosition(), 0);
    EXPECT_TRUE(view->highlights().isEmpty());
    other.reset();
    EXPECT_EQ(count(), QString());
    EXPECT_FALSE(button("nextButton")->isEnabled());
    bar->findNext();
    bar->setTextView(view);
    EXPECT_EQ(count(), QStringLiteral("1 of 1"));
}

TEST_F(FindBarTest, ReplaceChangesTheMatchAndMovesOnUndoably)
{
    load(QStringLiteral("cat cat cat"));
    bar->showReplace();
    type(QStringLiteral("cat"));
    field("replaceField")->setText(QStringLiteral("dog"));
    button("replaceButton")->click();
    EXPECT_EQ(view->buffer()->text(), QStringLiteral("dog cat cat"));
    EXPECT_EQ(selection(), Span(4, 7));
    EXPECT_EQ(count(), QStringLiteral("1 of 2"));
    QTest::keyClick(field("replaceField"), Qt::Key_Return);
    EXPECT_EQ(view->buffer()->text(), QStringLiteral("dog dog cat"));
    view->undo();
    EXPECT_EQ(view->buffer()->text(), QStringLiteral("dog cat cat"));
    view->undo();
    EXPECT_EQ(view->buffer()->text(), QStringLiteral("cat cat cat"));
}

TEST_F(FindBarTest, ReplaceAllChangesEveryMatchButNotAReadOnlyText)
{
    const QString before = QStringLiteral("cat\ncat cat\nCAT");
    load(before);
    bar->showReplace();
    type(QStringLiteral("cat"));
    field("replaceField")->setText(QStringLiteral("dog"));
    button("replaceAllButton")->click();
    EXPECT_EQ(view->buffer()->text(), QStringLiteral("dog\ndog dog\ndog"));
    EXPECT_EQ(count(), QStringLiteral("No results"));

    view->undo();
    view->setReadOnly(true);
    bar->setTextView(nullptr);
    bar->setTextView(view);
    EXPECT_FALSE(button("replaceAllButton")->isEnabled());
    bar->replaceAll();
    EXPECT_EQ(view->buffer()->text(), before);
}

}
