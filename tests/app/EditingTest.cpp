#include "AppFixture.h"

#include "common/Defaults.h"

#include <QTest>

using EditingTest = AppFixture;

namespace {

void placeCaret(EditorTextView *view, int position, int anchor = -1)
{
    QTextCursor cursor(view->document());
    cursor.setPosition(anchor < 0 ? position : anchor);
    if (anchor >= 0)
        cursor.setPosition(position, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
}

}

TEST_F(EditingTest, ReturnBetweenBracesOpensAnIndentedLine)
{
    Defaults::set(Defaults::IndentWidth, 4);
    AppDelegate &a = launch();
    a.loadDocument(file("x.c", "    if x {}\n"), false, true, true);
    EditorTextView *view = a.documents[0]->textView;
    placeCaret(view, 10);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(view->toPlainText(), "    if x {\n        \n    }\n");
    EXPECT_EQ(view->textCursor().position(), 19);
    // One undo takes the whole insertion back.
    a.undoOrRedo(false);
    EXPECT_EQ(view->toPlainText(), "    if x {}\n");
}

TEST_F(EditingTest, ReturnAfterAParenthesisIndentsOneUnitDeeper)
{
    AppDelegate &a = launch();
    a.loadDocument(file("x.py", "  call("), false, true, true);
    EditorTextView *view = a.documents[0]->textView;
    placeCaret(view, 7);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(view->toPlainText(), "  call(\n    ");
    // Shift+Return is a plain line break too, never a soft one.
    QTest::keyClick(view, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(view->toPlainText(), "  call(\n    \n    ");
}

TEST_F(EditingTest, TypedCloserOutdentsABlankLine)
{
    Defaults::set(Defaults::IndentWidth, 4);
    AppDelegate &a = launch();
    a.loadDocument(file("x.c", "        \n\t\n"), false, true, true);
    EditorTextView *view = a.documents[0]->textView;
    placeCaret(view, 8);
    QTest::keyClicks(view, "}");
    EXPECT_EQ(view->toPlainText(), "    }\n\t\n");
    placeCaret(view, 7); // after the tab
    QTest::keyClicks(view, ")");
    EXPECT_EQ(view->toPlainText(), "    }\n)\n");
    placeCaret(view, 5); // after text, a closer is just typed
    QTest::keyClicks(view, "]");
    EXPECT_EQ(view->toPlainText(), "    }]\n)\n");
}

TEST_F(EditingTest, TabAndShiftTabOverLines)
{
    Defaults::set(Defaults::IndentWidth, 4);
    AppDelegate &a = launch();
    a.loadDocument(file("x.txt", "one\n\nthree\n  four\n\tfive\n"), false, true, true);
    EditorTextView *view = a.documents[0]->textView;
    placeCaret(view, 11, 0); // "one\n\nthree\n" with the final line break selected
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_EQ(view->toPlainText(), "    one\n\n    three\n  four\n\tfive\n");
    EXPECT_EQ(view->textCursor().selectedText(), QString("    one\u2029\u2029    three"));
    placeCaret(view, 27, 20); // "four" and "five" lines
    QTest::keyClick(view, Qt::Key_Backtab);
    EXPECT_EQ(view->toPlainText(), "    one\n\n    three\nfour\nfive\n");
    placeCaret(view, 0, 2); // a selection inside one line becomes one unit
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_EQ(view->toPlainText(), "      one\n\n    three\nfour\nfive\n");
}

TEST_F(EditingTest, FontSizeStaysWithinItsBounds)
{
    AppDelegate &a = launch();
    a.stepFontSize(1);
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 12);
    a.setFontSize(48);
    a.stepFontSize(1);
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 48);
    a.setFontSize(8);
    a.stepFontSize(-1);
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 8);
    a.stepFontSize(0);
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 11);
    EXPECT_DOUBLE_EQ(a.emptyView->font().pointSizeF(), 11);
}

TEST_F(EditingTest, WordWrapStaysOffForVeryLongLines)
{
    AppDelegate &a = launch();
    a.loadDocument(file("long.txt", QByteArray(20001, 'x')), false, true, true);
    a.loadDocument(file("short.txt"), false, true, true);
    a.toggleSetting(Defaults::Wrap, true);
    EXPECT_FALSE(Defaults::wrap());
    EXPECT_EQ(a.documents[1]->textView->lineWrapMode(), QPlainTextEdit::NoWrap);
    a.toggleSetting(Defaults::Wrap, true);
    EXPECT_EQ(a.documents[1]->textView->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    a.activateDocument(0, true);
    EXPECT_EQ(a.documents[0]->textView->lineWrapMode(), QPlainTextEdit::NoWrap);
}

TEST_F(EditingTest, UndoStaysInItsOwnTabAndCollapsesTheSelection)
{
    AppDelegate &a = launch();
    a.loadDocument(file("a.txt", "aaa"), false, true, true);
    a.loadDocument(file("b.txt", "bbb"), false, true, true);
    type(a.documents[0], "1");
    type(a.documents[1], "2");
    a.activateDocument(1, true);
    a.undoOrRedo(false);
    EXPECT_EQ(a.documents[1]->textView->toPlainText(), "bbb");
    EXPECT_EQ(a.documents[0]->textView->toPlainText(), "1aaa");
    a.undoOrRedo(true);
    EXPECT_EQ(a.documents[1]->textView->toPlainText(), "2bbb");
    EXPECT_FALSE(a.documents[1]->textView->textCursor().hasSelection());
}
