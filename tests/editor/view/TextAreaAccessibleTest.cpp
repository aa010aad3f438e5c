#include "editor/view/TextArea.h"

#include "editor/buffer/TextBuffer.h"

#include <QAccessible>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace
{

class TextAreaAccessibleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        area = std::make_unique<TextArea>();
        area->resize(500, 300);
        area->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(area.get()));
        area->buffer()->setFileText(QStringLiteral("first line\nsecond words here\nthird"));
        accessible = QAccessible::queryAccessibleInterface(area.get());
        ASSERT_NE(accessible, nullptr);
        textual = accessible->textInterface();
        ASSERT_NE(textual, nullptr);
    }

    QString at(int offset, QAccessible::TextBoundaryType type, int &start, int &end) const
    {
        return textual->textAtOffset(offset, type, &start, &end);
    }

    std::unique_ptr<TextArea> area;
    QAccessibleInterface *accessible = nullptr;
    QAccessibleTextInterface *textual = nullptr;
};

}

TEST_F(TextAreaAccessibleTest, ReadersReadLinesWordsAndTheCaretFromTheBuffer)
{
    EXPECT_EQ(accessible->role(), QAccessible::EditableText);
    EXPECT_TRUE(accessible->state().multiLine);
    EXPECT_EQ(textual->characterCount(), 34);
    EXPECT_EQ(accessible->text(QAccessible::Value), area->buffer()->text());

    int start = 0;
    int end = 0;
    EXPECT_EQ(at(15, QAccessible::LineBoundary, start, end), QStringLiteral("second words here\n"));
    EXPECT_EQ(std::pair(start, end), std::pair(11, 29));
    EXPECT_EQ(textual->textAfterOffset(15, QAccessible::LineBoundary, &start, &end),
        QStringLiteral("third"));
    EXPECT_EQ(textual->textBeforeOffset(15, QAccessible::LineBoundary, &start, &end),
        QStringLiteral("first line\n"));
    EXPECT_EQ(at(19, QAccessible::WordBoundary, start, end), QStringLiteral("words"));
    EXPECT_EQ(std::pair(start, end), std::pair(18, 23));
    EXPECT_EQ(at(0, QAccessible::CharBoundary, start, end), QStringLiteral("f"));

    QTest::keyClick(area.get(), Qt::Key_Down);
    QTest::keyClick(area.get(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(textual->cursorPosition(), 12);
    ASSERT_EQ(textual->selectionCount(), 1);
    textual->selection(0, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(11, 12));
}

TEST_F(TextAreaAccessibleTest, CharacterGeometryMatchesWhatIsPainted)
{
    const QRect rect = textual->characterRect(14);
    const QRect caret = area->cursorRect(14);
    EXPECT_EQ(rect.topLeft(), area->viewport()->mapToGlobal(caret.topLeft()));
    EXPECT_EQ(rect.width(), area->cursorRect(15).x() - caret.x());
    EXPECT_EQ(textual->offsetAtPoint(rect.topLeft() + QPoint(1, rect.height() / 2)), 14);
    EXPECT_EQ(textual->offsetAtPoint(area->mapToGlobal(QPoint(-50, -50))), -1);
}

TEST_F(TextAreaAccessibleTest, EditingThroughTheReaderIsOneUndoStepAndReadOnlyRefusesIt)
{
    auto *editable = static_cast<QAccessibleEditableTextInterface *>(
        accessible->interface_cast(QAccessible::EditableTextInterface));
    ASSERT_NE(editable, nullptr);
    editable->replaceText(0, 5, QStringLiteral("1st"));
    EXPECT_TRUE(area->buffer()->text().startsWith(QStringLiteral("1st line\n")));
    area->undo();
    EXPECT_TRUE(area->buffer()->text().startsWith(QStringLiteral("first line\n")));

    area->setReadOnly(true);
    EXPECT_TRUE(accessible->state().readOnly);
    EXPECT_EQ(accessible->interface_cast(QAccessible::EditableTextInterface), nullptr);
}

TEST_F(TextAreaAccessibleTest, WordsInAVeryLongLineAreFoundWhereTheyAre)
{
    QString line;
    while (line.size() < (2 << 20))
        line += QStringLiteral("alpha beta gamma ");
    line += QStringLiteral("omega");
    area->buffer()->setFileText(line);
    const int middle = int(line.indexOf(QStringLiteral("beta"), line.size() / 2));
    int start = -1;
    int end = -1;
    EXPECT_EQ(at(middle + 2, QAccessible::WordBoundary, start, end), QStringLiteral("beta"));
    EXPECT_EQ(start, middle);
    EXPECT_EQ(end, middle + 4);
    EXPECT_EQ(at(int(line.size()), QAccessible::WordBoundary, start, end), QStringLiteral("omega"));
    EXPECT_EQ(end, int(line.size()));
}
