#include "AppFixture.h"

#include "command/OutputPanelView.h"
#include "common/Defaults.h"

#include <QAction>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QTest>

using EditingTest = AppFixture;

namespace {

void placeCaret(EditorTextView *view, int position, int anchor = -1)
{
    view->setSelection(anchor < 0 ? position : anchor, position);
}

QString textOf(const EditorTextView *view)
{
    return view->buffer()->text();
}

void trigger(AppDelegate &a, const QString &title)
{
    for (QAction *action : a.window().mainWindow()->findChildren<QAction *>())
        if (action->text() == title)
            return action->trigger();
    ADD_FAILURE() << "no action " << title.toStdString();
}

}

TEST_F(EditingTest, ReturnBetweenBracesOpensAnIndentedLine)
{
    Defaults::set(Defaults::IndentWidth, 4);
    AppDelegate &a = launch();
    a.documents().loadDocument(file("x.c", "    if x {}\n"), false, true, true);
    EditorTextView *view = a.documents()[0]->textView;
    placeCaret(view, 10);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(textOf(view), "    if x {\n        \n    }\n");
    EXPECT_EQ(view->caretPosition(), 19);
    // One undo takes the whole insertion back.
    a.editing().undoOrRedo(false);
    EXPECT_EQ(textOf(view), "    if x {}\n");
}

TEST_F(EditingTest, ReturnAfterAParenthesisIndentsOneUnitDeeper)
{
    AppDelegate &a = launch();
    a.documents().loadDocument(file("x.py", "  call("), false, true, true);
    EditorTextView *view = a.documents()[0]->textView;
    placeCaret(view, 7);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(textOf(view), "  call(\n    ");
    // Shift+Return is a plain line break too, never a soft one.
    QTest::keyClick(view, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(textOf(view), "  call(\n    \n    ");
}

TEST_F(EditingTest, TypedCloserOutdentsABlankLine)
{
    Defaults::set(Defaults::IndentWidth, 4);
    AppDelegate &a = launch();
    a.documents().loadDocument(file("x.c", "        \n\t\n"), false, true, true);
    EditorTextView *view = a.documents()[0]->textView;
    placeCaret(view, 8);
    QTest::keyClicks(view, "}");
    EXPECT_EQ(textOf(view), "    }\n\t\n");
    placeCaret(view, 7); // after the tab
    QTest::keyClicks(view, ")");
    EXPECT_EQ(textOf(view), "    }\n)\n");
    placeCaret(view, 5); // after text, a closer is just typed
    QTest::keyClicks(view, "]");
    EXPECT_EQ(textOf(view), "    }]\n)\n");
}

TEST_F(EditingTest, TabAndShiftTabOverLines)
{
    Defaults::set(Defaults::IndentWidth, 4);
    AppDelegate &a = launch();
    a.documents().loadDocument(file("x.txt", "one\n\nthree\n  four\n\tfive\n"), false, true, true);
    EditorTextView *view = a.documents()[0]->textView;
    placeCaret(view, 11, 0); // "one\n\nthree\n" with the final line break selected
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_EQ(textOf(view), "    one\n\n    three\n  four\n\tfive\n");
    EXPECT_EQ(view->selectedText(), QString("    one\n\n    three"));
    placeCaret(view, 27, 20); // "four" and "five" lines
    QTest::keyClick(view, Qt::Key_Backtab);
    EXPECT_EQ(textOf(view), "    one\n\n    three\nfour\nfive\n");
    placeCaret(view, 0, 2); // a selection inside one line becomes one unit
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_EQ(textOf(view), "      one\n\n    three\nfour\nfive\n");
    // Each shift is one undo step.
    a.editing().undoOrRedo(false);
    EXPECT_EQ(textOf(view), "    one\n\n    three\nfour\nfive\n");
    a.editing().undoOrRedo(false);
    EXPECT_EQ(textOf(view), "    one\n\n    three\n  four\n\tfive\n");
}

TEST_F(EditingTest, ReturnOnAVeryLongLineKeepsItsIndentAndBrace)
{
    Defaults::set(Defaults::IndentWidth, 4);
    AppDelegate &a = launch();
    // Only the ends of a long line are read: the indent at its start, the brace far from it,
    // with blanks after the brace longer than one read.
    const QByteArray line = "  " + QByteArray(20000, 'x') + "{" + QByteArray(5000, ' ');
    a.documents().loadDocument(file("long.c", line), false, true, true);
    EditorTextView *view = a.documents()[0]->textView;
    placeCaret(view, int(line.size()));
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(textOf(view), QString::fromLatin1(line) + "\n      ");
}

TEST_F(EditingTest, FontSizeStaysWithinItsBounds)
{
    AppDelegate &a = launch();
    a.editing().stepFontSize(1);
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 12);
    a.editing().setFontSize(48);
    a.editing().stepFontSize(1);
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 48);
    a.editing().setFontSize(8);
    a.editing().stepFontSize(-1);
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 8);
    a.editing().stepFontSize(0);
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 11);
    EXPECT_DOUBLE_EQ(a.window().emptyView()->font().pointSizeF(), 11);
}

TEST_F(EditingTest, WordWrapStaysOffForVeryLongLines)
{
    AppDelegate &a = launch();
    a.documents().loadDocument(file("long.txt", QByteArray(20001, 'x')), false, true, true);
    a.documents().loadDocument(file("short.txt"), false, true, true);
    a.editing().toggleSetting(Defaults::Wrap, true);
    EXPECT_FALSE(Defaults::wrap());
    EXPECT_FALSE(a.documents()[1]->textView->wordWrap());
    a.editing().toggleSetting(Defaults::Wrap, true);
    EXPECT_TRUE(a.documents()[1]->textView->wordWrap());
    a.tabs().activateDocument(0, true);
    EXPECT_FALSE(a.documents()[0]->textView->wordWrap());
}

TEST_F(EditingTest, UndoStaysInItsOwnTabAndCollapsesTheSelection)
{
    AppDelegate &a = launch();
    a.documents().loadDocument(file("a.txt", "aaa"), false, true, true);
    a.documents().loadDocument(file("b.txt", "bbb"), false, true, true);
    type(a.documents()[0], "1");
    type(a.documents()[1], "2");
    a.tabs().activateDocument(1, true);
    a.editing().undoOrRedo(false);
    EXPECT_EQ(textOf(a.documents()[1]->textView), "bbb");
    EXPECT_EQ(textOf(a.documents()[0]->textView), "1aaa");
    a.editing().undoOrRedo(true);
    EXPECT_EQ(textOf(a.documents()[1]->textView), "2bbb");
    EXPECT_FALSE(a.documents()[1]->textView->hasSelection());
}

TEST_F(EditingTest, EditMenuActsOnTheFocusedText)
{
    AppDelegate &a = launch();
    a.documents().loadDocument(file("a.txt", "one two"), false, true, true);
    a.window().setPanelHidden(false);
    a.window().mainWindow()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(a.window().mainWindow()));
    EditorTextView *view = a.documents()[0]->textView;
    view->setFocus();
    trigger(a, "Select All");
    trigger(a, "Cut");
    EXPECT_EQ(textOf(view), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "one two");
    trigger(a, "Paste");
    trigger(a, "Paste");
    EXPECT_EQ(textOf(view), "one twoone two");

    // The output panel's read-only text copies, and cutting there leaves the document alone.
    auto *output = a.window().outputPanel()->findChild<QPlainTextEdit *>();
    ASSERT_NE(output, nullptr);
    output->setPlainText("built fine");
    output->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), output);
    trigger(a, "Select All");
    trigger(a, "Cut");
    trigger(a, "Copy");
    EXPECT_EQ(QApplication::clipboard()->text(), "built fine");
    EXPECT_EQ(output->toPlainText(), "built fine");
    EXPECT_EQ(textOf(view), "one twoone two");
}
