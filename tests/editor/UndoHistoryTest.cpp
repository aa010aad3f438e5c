#include "editor/UndoHistory.h"
#include "editor/EditorTextView.h"

#include <QRandomGenerator>
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

TEST(UndoHistory, ARunOfTypingOrDeletingIsOneStep)
{
    QTextDocument document;
    UndoHistory history(&document, 500);
    QTextCursor cursor(&document);
    for (const char *piece : { "h", "e", "l", "l", "o", "\n", "w", "o" })
        cursor.insertText(piece);
    EXPECT_EQ(history.undoCount(), 3);
    cursor.deletePreviousChar();
    cursor.deletePreviousChar();
    cursor.setPosition(0);
    cursor.deleteChar();
    cursor.deleteChar();
    EXPECT_EQ(history.undoCount(), 5);

    for (const char *before : { "hello\n", "hello\nwo", "hello\n", "hello" }) {
        document.undo();
        EXPECT_EQ(document.toPlainText(), QString::fromUtf8(before));
    }
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

// Each insertion at the start is a step of its own; the oldest falls off past the limit.
TEST(UndoHistory, AnEditorViewKeepsOnlyTheNewest500Steps)
{
    EditorTextView view;
    QTextCursor cursor(view.document());
    cursor.insertText("oldest");
    for (int i = 0; i < 500; ++i) {
        cursor.setPosition(0);
        cursor.insertText("\n");
    }
    EXPECT_EQ(view.document()->availableUndoSteps(), 500);
    undoAll(*view.document());
    EXPECT_EQ(view.toPlainText(), QStringLiteral("oldest"));
}
