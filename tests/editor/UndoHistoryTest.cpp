#include "editor/UndoHistory.h"
#include "editor/EditorTextView.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace
{

void replace(QTextDocument &document, int from, int to, const QString &text)
{
    QTextCursor cursor(&document);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.insertText(text);
}

void undoAll(QTextDocument &document)
{
    while (document.isUndoAvailable())
        document.undo();
}

}

TEST(UndoHistory, RandomEditsUndoAndRedoExactly)
{
    QTextDocument document;
    UndoHistory history(&document, 500);
    document.setPlainText(QStringLiteral("first line\nsecond line\n\nlast"));
    document.clearUndoRedoStacks();
    const QString original = document.toPlainText();
    QRandomGenerator random(7);
    const QStringList pieces { "x", "yz", "\n", "a\nb", "", "\t  ", "é€😀" };
    for (int i = 0; i < 200; ++i) {
        const int length = document.characterCount() - 1;
        const int from = random.bounded(length + 1);
        const int to = std::min(length, from + random.bounded(4));
        replace(document, from, to, pieces.at(random.bounded(int(pieces.size()))));
    }
    const QString edited = document.toPlainText();
    ASSERT_LE(history.undoCount(), 200);

    undoAll(document);
    EXPECT_EQ(document.toPlainText(), original);
    while (document.isRedoAvailable())
        document.redo();
    EXPECT_EQ(document.toPlainText(), edited);
}

TEST(UndoHistory, KeepsOnlyTheNewestSteps)
{
    QTextDocument document;
    UndoHistory history(&document, 500);
    replace(document, 0, 0, "oldest");
    // Each insertion at the start is a step of its own.
    for (int i = 0; i < 500; ++i)
        replace(document, 0, 0, "-");
    EXPECT_EQ(history.undoCount(), 500);
    EXPECT_EQ(document.availableUndoSteps(), 500);

    undoAll(document);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("oldest"));
    EXPECT_EQ(history.undoCount(), 0);
}

TEST(UndoHistory, ARunOfTypingOrDeletingIsOneStep)
{
    QTextDocument document;
    UndoHistory history(&document, 500);
    QTextCursor cursor(&document);
    for (const char *piece : { "h", "e", "l", "l", "o" })
        cursor.insertText(piece);
    cursor.insertText("\n");
    for (const char *piece : { "w", "o" })
        cursor.insertText(piece);
    EXPECT_EQ(history.undoCount(), 3);
    cursor.deletePreviousChar();
    cursor.deletePreviousChar();
    cursor.setPosition(0);
    cursor.deleteChar();
    cursor.deleteChar();
    EXPECT_EQ(document.toPlainText(), QStringLiteral("llo\n"));
    EXPECT_EQ(history.undoCount(), 5);

    document.undo();
    EXPECT_EQ(document.toPlainText(), QStringLiteral("hello\n"));
    document.undo();
    EXPECT_EQ(document.toPlainText(), QStringLiteral("hello\nwo"));
    document.undo();
    EXPECT_EQ(document.toPlainText(), QStringLiteral("hello\n"));
    document.undo();
    EXPECT_EQ(document.toPlainText(), QStringLiteral("hello"));
}

TEST(UndoHistory, FollowsTheDocumentWhenItsStacksAreCleared)
{
    QTextDocument document;
    UndoHistory history(&document, 500);
    replace(document, 0, 0, "one ");
    document.setPlainText("loaded text");
    EXPECT_EQ(history.undoCount(), 0);
    replace(document, 0, 0, "more ");
    document.clearUndoRedoStacks();
    EXPECT_EQ(history.undoCount(), 0);
    replace(document, 11, 11, "!");
    EXPECT_EQ(history.undoCount(), 1);
    undoAll(document);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("more loaded text"));
}

TEST(UndoHistory, EachViewUndoesOnlyItsOwnEdits)
{
    EditorTextView first;
    EditorTextView second;
    first.setPlainText("first");
    second.setPlainText("second");
    first.moveCursor(QTextCursor::End);
    second.moveCursor(QTextCursor::End);
    QTest::keyClicks(&first, " edit");
    QTest::keyClicks(&second, " edit");
    EXPECT_TRUE(first.document() != second.document());

    QTest::keySequence(&second, QKeySequence::Undo);
    EXPECT_EQ(second.toPlainText(), QStringLiteral("second"));
    EXPECT_EQ(first.toPlainText(), QStringLiteral("first edit"));
    first.undo();
    EXPECT_EQ(first.toPlainText(), QStringLiteral("first"));
    EXPECT_FALSE(first.document()->isUndoAvailable());
    first.redo();
    EXPECT_EQ(first.toPlainText(), QStringLiteral("first edit"));
}

TEST(UndoHistory, ViewHistoryIsBoundedTo500Steps)
{
    EditorTextView view;
    QTextCursor cursor(view.document());
    cursor.insertText("oldest");
    for (int i = 0; i < EditorTextView::undoLimit; ++i) {
        cursor.setPosition(0);
        cursor.insertText("\n");
    }
    for (int i = 0; i < EditorTextView::undoLimit; ++i)
        view.undo();
    EXPECT_EQ(view.toPlainText(), QStringLiteral("oldest"));
    EXPECT_FALSE(view.document()->isUndoAvailable());
}
